// The instance name of vkCert, from which its single-instance guard is built:
// string IDS_INSTANCE_NAME of the English table, or a built-in name when that cannot be read.
#pragma once

#include <string>

class CMutextInfo {
public:
    CMutextInfo();

    const std::wstring& Name() const { return m_name; }

    static constexpr const wchar_t* kBuiltInName =
        L"Mutex Name is {B284EB2C-2867-46b4-83CB-0E6923B460FB}";

private:
    std::wstring m_name = kBuiltInName;
};
