#pragma once

// The registry kept in files: one text file per hive ("machine.hive" and
// "user.hive", format in HiveData.h) in one folder.
//
// Every write is a read-modify-write of the whole hive under an exclusive
// lock (flock on "<hive>.lock"), written to a temporary file and renamed over
// the hive, so that concurrent writers lose nothing and readers, which take no
// lock, always see a whole file. A hive file that cannot be parsed answers
// 1009 and is never overwritten. A hive whose folder or file cannot be written
// answers access denied to writes.

#include <filesystem>
#include <optional>

#include "platform/registry/HiveData.h"
#include "platform/registry/Registry.h"

namespace platform::registry {

class FileRegistry final : public detail::HiveRegistry {
public:
    // Hives in registry::defaultFolder(), looked up anew at each operation.
    FileRegistry() = default;
    // Hives in `folder`.
    explicit FileRegistry(std::filesystem::path folder);

    [[nodiscard]] std::filesystem::path folder() const;
    [[nodiscard]] static const char* hiveFileName(Hive hive);

private:
    [[nodiscard]] bool isWritable(Hive hive) const override;
    [[nodiscard]] long read(Hive hive, const Body& body) const override;
    [[nodiscard]] long write(Hive hive, const Body& body) override;

    std::optional<std::filesystem::path> m_folder;
};

} // namespace platform::registry
