#pragma once
// The library configuration file's text: parsing and rebuilding.
