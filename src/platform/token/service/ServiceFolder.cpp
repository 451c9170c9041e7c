#include "platform/token/service/ServiceFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/token/StoreError.h"

namespace vkstore::service {

std::filesystem::path DefaultServiceFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return std::filesystem::path(runtime) / "vkcert";
    }
    return std::filesystem::path("/tmp") / ("vkcert-" + std::to_string(::getuid()));
}

void OpenServiceFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw StoreError(StoreFailure::NoService, "cannot make " + folder.string());
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        throw StoreError(StoreFailure::NoService,
                         folder.string() + " is not a private folder of this user");
    }
}

}  // namespace vkstore::service
