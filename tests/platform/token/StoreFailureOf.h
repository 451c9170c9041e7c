// The kind of store failure a call throws; a test failure when it throws none.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "platform/token/StoreError.h"

inline vkstore::StoreFailure FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const vkstore::StoreError& e) {
        return e.Failure();
    }
    ADD_FAILURE() << "no StoreError thrown";
    return vkstore::StoreFailure::Damaged;
}
