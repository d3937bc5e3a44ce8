// Name lookups for items and forms. Both write into the caller's name buffer and leave it as it
// was for an index out of range, so the caller goes on with the name it held before.
#pragma once

#include "model/state.h"

namespace ostrel {

// Copies the item's name (0..10) into `buffer`; writes nothing for any other value.
void itemName(char* buffer, Item item);

// Copies the form's name (0..44) into `buffer`; writes nothing for any other value.
void magTypeName(char* buffer, MagType type);

}  // namespace ostrel
