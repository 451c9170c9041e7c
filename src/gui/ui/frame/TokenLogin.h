// Logging the user of a token in and out at the token's provider, for the Login and Logout
// commands of the main window and for its close. After each, every program of the session is
// told that a login state changed, this one included.
#pragma once

#include <string>

class QWidget;

// Asks for the PIN of the token in the reader (a prompt owned by `owner`) and hands it to the
// provider. Answers whether the provider took it; only then is the change broadcast. A refusal
// is shown in a message box. A prompt the user gave up hands nothing to the provider, so that it
// costs no PIN try.
bool LoginToken(QWidget* owner, const std::wstring& readerName);

// Logs the token's user out and broadcasts the change, also when nobody was logged in.
void LogoutToken(const std::wstring& readerName);

// Posts the login/logout message to every top-level window of the session.
void BroadcastLoginChange();
