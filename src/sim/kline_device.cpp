#include "sim/kline_device.h"
