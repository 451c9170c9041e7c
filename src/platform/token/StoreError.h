// Failures of the virtual token store, by kind; the provider and the
// middleware turn each kind into the platform's error code.
#pragma once

#include <stdexcept>
#include <string>

namespace vkstore {

enum class StoreFailure {
    NotFound,     // no such reader, token, container or key
    Exists,       // the name is taken
    Occupied,     // a token sits in that reader already
    Empty,        // no token sits in that reader
    Removed,      // the token left its reader since the handle was opened
    InvalidName,  // a name the store cannot hold
    PinIncorrect,
    PinLocked,
    NotLoggedIn,
    Damaged,  // a store file that cannot be read
    NotExportable,  // the key may not leave the token
    NoService,      // the token service cannot be reached
};

class StoreError : public std::runtime_error {
public:
    StoreError(StoreFailure failure, const std::string& what)
        : std::runtime_error(what), m_failure(failure) {}
    StoreFailure Failure() const { return m_failure; }

private:
    StoreFailure m_failure;
};

}  // namespace vkstore
