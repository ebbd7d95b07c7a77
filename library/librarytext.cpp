#include "library/librarytext.h"
