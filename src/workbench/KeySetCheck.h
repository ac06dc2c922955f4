#pragma once

namespace mvx {

class CMessenger;
struct KeySetPaths;

// Whether the own key set exists; shows the reason when it does not.
class KeySetCheck {
public:
    static bool verify(const KeySetPaths& keys, CMessenger& messenger);
};

} // namespace mvx
