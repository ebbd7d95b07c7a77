#include "composer/plantemplate.h"
