#include "support/PosixTestEnvironment.h"
