// The rich-text engine's exception: raised with fixed English texts when the engine is
// misused ("Can't perform Unicode operation", "Item index is out of bounds", ...).
#pragma once

#include "platform/core/Exceptions.h"

ZUK_DECLARE_EXCEPTION(ERVError, Exception)
