// A platform header that reaches up into the rich-text core.
#pragma once

#include "richtext/core/Document.h"
