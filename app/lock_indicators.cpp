#include "app/lock_indicators.h"

#include <QGuiApplication>

#ifdef TQ_HAVE_X11
#if QT_CONFIG(xcb)  // Qt's X11 native interface
#define TQ_READ_XKB 1
#endif
#endif

#ifdef TQ_READ_XKB
// Xlib's macros (Bool, Status, None, ...) clash with Qt's names: X11 comes last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

// The indicators of the core keyboard through XKB. Each is found by its name
// in the keymap; a keymap without the name falls back to the usual index
// (Caps 0, Num 1, Scroll 2) of the indicator state mask.
class XkbLockReader : public LockIndicatorReader {
public:
    explicit XkbLockReader(Display* display) : display_(display) {
        const char* names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        for (int i = 0; i < 3; ++i) {
            const Atom atom = XInternAtom(display_, names[i], True);
            int index = -1;
            if (atom != None && XkbGetNamedIndicator(display_, atom, &index, nullptr, nullptr, nullptr) &&
                index >= 0 && index < XkbNumIndicators)
                index_[i] = index;
        }
    }

    std::optional<LockStates> read() override {
        unsigned int state = 0;
        if (XkbGetIndicatorState(display_, XkbUseCoreKbd, &state) != Success) return std::nullopt;
        auto on = [state](int index) { return ((state >> index) & 1u) != 0; };
        return LockStates{on(index_[0]), on(index_[1]), on(index_[2])};
    }

private:
    Display* display_;
    int index_[3] = {0, 1, 2};
};

}  // namespace

std::unique_ptr<LockIndicatorReader> makePlatformLockReader() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return nullptr;
    int opcode = 0, event = 0, error = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return nullptr;
    return std::make_unique<XkbLockReader>(display);
}

#else

std::unique_ptr<LockIndicatorReader> makePlatformLockReader() { return nullptr; }

#endif
