// The font of the detail box under every property list: fixed pitch of the
// modern family, normal weight, no face name of its own (the system's fixed
// font), sized so that a character cell is 17 pixels high.
#pragma once

#include <QFont>

inline constexpr int kDetailBoxCellHeight = 17;

QFont DetailBoxFont();
