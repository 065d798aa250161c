#include "foundation/Globals.h"
