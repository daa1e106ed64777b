#include "instance_handle.h"

HINSTANCE instance_handle = nullptr;
