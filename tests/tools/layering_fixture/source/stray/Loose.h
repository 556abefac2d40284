// A folder the layer table does not list.
#pragma once
