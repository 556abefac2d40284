// Includes of its own layer and of the layers below only.
#include "gif/Decoder.h"
#include "platform/core/Upward.h"
