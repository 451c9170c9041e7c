// A flag stored as the text "Y" or "N" (REG_SZ with its terminating NUL).
#pragma once

#include "program/core/settings/CSetting.h"

class CSettingBool : public CSetting {
public:
    // Bytes read at most; a longer value is not read.
    static constexpr DWORD kBufferSize = 2048;

    CSettingBool(std::wstring subkey, std::wstring valueName, bool* member,
                 HKEY root = HKEY_CURRENT_USER);

protected:
    // True exactly when the stored text is "Y" in either case; the text ends
    // at its first NUL, or at the end of the value when it has none.
    bool LoadValue(HKEY key) override;
    bool SaveValue(HKEY key) override;

private:
    bool* m_member;
};
