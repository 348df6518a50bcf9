#include "editor/SStaticData.h"

// The colour table and the caches arrive with the toolkit; until then there
// is nothing to build or to free.
void SStaticData::AddColours() {}

void SStaticData::Clear() {}
