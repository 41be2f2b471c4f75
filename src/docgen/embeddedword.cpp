#include "embeddedword.h"
