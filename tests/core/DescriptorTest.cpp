#include <gtest/gtest.h>
#include "descriptor/MidletDescriptor.h"
