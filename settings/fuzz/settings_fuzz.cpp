// Arbitrary stored data under the settings key: whatever another program left
// there, reading the settings must neither crash nor read past a value, and
// every loaded value must be one the rows allow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "settings/memory_registry.h"
#include "settings/settings.h"

using namespace brisko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryRegistry store;
    // Records of: row (1 byte), type (1 byte), length (1 byte), bytes.
    std::size_t i = 0;
    while (i + 3 <= size) {
        const auto& row = kSettingsRows[data[i] % kSettingsRows.size()];
        const std::uint32_t type = data[i + 1] % 9;
        std::size_t len = data[i + 2];
        i += 3;
        if (len > size - i) len = size - i;
        store.SetValue(kHKeyCurrentUser, kSettingsKey, row.name, type, RegBytes(data + i, data + i + len));
        i += len;
    }
    CRegistry reg = SettingsAccessor(store);
    const Settings s = ReadSettings(reg);
    if (s.tabWidth < 40 || s.tabWidth > 320) std::abort();
    if (s.iconStyle < 0 || s.iconStyle > 3) std::abort();
    // Writing back what was read, then reading again, changes nothing but
    // the sizes' rounding to hundredths and the default colours filled in.
    WriteSettings(reg, s);
    Settings again = ReadSettings(reg);
    if (again.tabWidth != s.tabWidth || again.align != s.align || again.iconStyle != s.iconStyle ||
        again.mouseWheel != s.mouseWheel || again.font.bold != s.font.bold)
        std::abort();
    return 0;
}
