#pragma once

// A registry held in memory, for tests. Each hive can be made read-only to
// play a user without rights to it: creating keys and opening them for
// writing then answer access denied, exactly as the file registry does.

#include <array>
#include <mutex>
#include <string>

#include "platform/registry/HiveData.h"
#include "platform/registry/Registry.h"

namespace platform::registry {

class MemoryRegistry final : public detail::HiveRegistry {
public:
    void setWritable(Hive hive, bool writable);
    // The hive in its file form, to inspect in tests.
    [[nodiscard]] std::string text(Hive hive) const;

private:
    [[nodiscard]] bool isWritable(Hive hive) const override;
    [[nodiscard]] long read(Hive hive, const Body& body) const override;
    [[nodiscard]] long write(Hive hive, const Body& body) override;

    mutable std::mutex m_mutex;
    std::array<detail::HiveData, 2> m_hives;
    std::array<bool, 2> m_writable{true, true};
};

} // namespace platform::registry
