// The one Qt application object of a GUI test program, made on first use
// (offscreen platform, set by the test main) and kept until the process ends.
#pragma once

class QApplication;

namespace vktest {

QApplication& QtApp();

}  // namespace vktest
