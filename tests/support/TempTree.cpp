#include "support/TempTree.h"
