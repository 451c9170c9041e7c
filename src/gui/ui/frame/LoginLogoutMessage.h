// The registered message that every program posts to all top-level windows after a token was
// logged in or out: whoever shows a login state reads it again.
#pragma once

inline constexpr const wchar_t* kLoginLogoutMessageName =
    L"{D1C07249-B709-4da6-8ED2-239F3920DB01} Velkora Login/Logout message";
