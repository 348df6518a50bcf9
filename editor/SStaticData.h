// Process-wide GUI data shared by every instance: the colour table and the
// pen, brush and font caches. Built at module load, emptied at unload.
#pragma once

class SStaticData {
public:
    void AddColours();
    // Deletes every cached font, brush and pen, in that order.
    void Clear();
};
