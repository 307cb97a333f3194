#include "platform/registry/MemoryRegistry.h"

namespace platform::registry {

void MemoryRegistry::setWritable(Hive hive, bool writable)
{
    const std::lock_guard lock(m_mutex);
    m_writable.at(static_cast<std::size_t>(hive)) = writable;
}

std::string MemoryRegistry::text(Hive hive) const
{
    const std::lock_guard lock(m_mutex);
    return m_hives.at(static_cast<std::size_t>(hive)).toText();
}

bool MemoryRegistry::isWritable(Hive hive) const
{
    const std::lock_guard lock(m_mutex);
    return m_writable.at(static_cast<std::size_t>(hive));
}

long MemoryRegistry::read(Hive hive, const Body& body) const
{
    const std::lock_guard lock(m_mutex);
    // The body only reads; it works on a copy so that a const registry stays const.
    detail::HiveData copy = m_hives.at(static_cast<std::size_t>(hive));
    bool changed = false;
    return body(copy, changed);
}

long MemoryRegistry::write(Hive hive, const Body& body)
{
    const std::lock_guard lock(m_mutex);
    bool changed = false;
    return body(m_hives.at(static_cast<std::size_t>(hive)), changed);
}

} // namespace platform::registry
