// One QApplication for a test program, on whatever platform the environment names.
#pragma once

#include <QApplication>

namespace pictorand::testing {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "pictorand-tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

}  // namespace pictorand::testing
