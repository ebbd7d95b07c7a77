#pragma once
// Plan template choice, parameter checks and placeholder replacement.
