#include <gtest/gtest.h>
#include "package/IniText.h"
