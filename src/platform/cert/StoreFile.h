// One certificate of a store on disk: a file named by the lower-case hex
// SHA-1 of the certificate's encoding plus ".cert", holding
//   "VKCS" u32 version 1, then records: u32 property id, u32 length, bytes;
// the record with id 32 holds the encoded certificate; the others hold the
// context's properties (key provider information in its serial form).
// Files are written atomically (temporary file, fsync, rename) with mode 0600.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "platform/WinTypes.h"

namespace vk::cert {

struct StoredCertificate {
    std::vector<BYTE> encoded;
    std::map<DWORD, std::vector<BYTE>> props;
};

// The folder of the current user's system store of that name (upper-cased),
// nothing for names that cannot be folder names.
std::optional<std::filesystem::path> SystemStoreFolder(const std::wstring& name);

std::filesystem::path StoreFilePath(const std::filesystem::path& folder,
                                    const std::vector<BYTE>& encoded);

// Answers a system error code, 0 on success.
DWORD WriteStoreFile(const std::filesystem::path& folder, const StoredCertificate& cert);
DWORD RemoveStoreFile(const std::filesystem::path& folder, const std::vector<BYTE>& encoded);

// Every readable certificate of the folder in file-name order; damaged files,
// files whose name does not match their certificate and stray files are skipped.
std::vector<StoredCertificate> ReadStoreFolder(const std::filesystem::path& folder);

// The files of the folder named as store files that ReadStoreFolder skips
// (unreadable, damaged, or holding another certificate than their name says),
// in file-name order.
std::vector<std::filesystem::path> DamagedStoreFiles(const std::filesystem::path& folder);

}  // namespace vk::cert
