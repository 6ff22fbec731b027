// The host's side of sound. The main window is made once per process, with
// the class name the module looks for under this program's name.
#include "host/core/host_sound.h"

#include <algorithm>
#include <deque>
#include <map>

#if defined(_WIN32)
#include <windows.h>
#else
#include "sound/platform/qraudio.h"
#include "sound/platform/qrsystem.h"
#endif

namespace panelhost {

namespace {

constexpr const char* mainWindowClass = "FS98MAIN";

#if defined(_WIN32)
// A hidden top-level window; without a display (Wine on a server) there is
// none, and devices bind to no window, which DirectSound accepts.
struct MainWindow {
    HWND window{};
    MainWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = mainWindowClass;
        if (!RegisterClassA(&windowClass)) return;
        window = CreateWindowExA(0, mainWindowClass, "Panel host", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~MainWindow() {
        if (window) DestroyWindow(window);
    }
} mainWindow;
#else
struct MainWindow {
    void* window{};
    MainWindow() : window(qrsystem_window_register(mainWindowClass)) {}
    ~MainWindow() { qrsystem_window_unregister(window); }
} mainWindow;
#endif

}  // namespace

#if defined(_WIN32)

bool HostSoundControlled() { return false; }
void HostSoundSetDevice(bool) {}
bool HostSoundRecordStart(const std::string&, std::string*) { return true; }
bool HostSoundRecordStop(std::string*) { return true; }
std::vector<std::uint32_t> HostSoundTakePlays() { return {}; }
void HostSoundWatch(bool) {}
std::vector<HostSoundChange> HostSoundTakeChanges() { return {}; }

#else

namespace {

constexpr unsigned recordingRate = 22050;

void Say(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

bool HostSoundControlled() { return true; }

void HostSoundSetDevice(bool available) { qraudio_set_device_available(available ? 1 : 0); }

bool HostSoundRecordStart(const std::string& path, std::string* error) {
    if (qraudio_record_start(path.c_str(), recordingRate) != QRAUDIO_OK) {
        Say(error, "cannot record into \"" + path + "\"");
        return false;
    }
    return true;
}

bool HostSoundRecordStop(std::string* error) {
    if (!qraudio_recording()) {
        Say(error, "no recording is running");
        return false;
    }
    if (qraudio_record_stop() != QRAUDIO_OK) {
        Say(error, "cannot write the recording");
        return false;
    }
    return true;
}

std::vector<std::uint32_t> HostSoundTakePlays() {
    constexpr std::size_t kept = 1024;  // as many as the audio library keeps
    std::vector<const void*> origins(kept);
    origins.resize(std::min(qraudio_take_plays(origins.data(), kept), kept));
    std::vector<std::uint32_t> waves;
    for (const void* origin : origins) waves.push_back(qrsystem_resource_holding(origin, "WAVE"));
    return waves;
}

namespace {

constexpr std::size_t keptChanges = 4096;

struct Watch {
    std::map<const qraudio_buffer*, std::uint32_t> numbers;  // buffers seen, by address
    std::uint32_t nextNumber{1};
    std::deque<HostSoundChange> changes;
};

Watch& Watched() {
    static Watch watch;
    return watch;
}

void Observe(const qraudio_change* change, void*) {
    Watch& watch = Watched();
    // Addresses of buffers long gone are forgotten now and then.
    if (watch.numbers.size() > keptChanges) watch.numbers.clear();
    const std::uint32_t number =
        watch.numbers.try_emplace(change->buffer, watch.nextNumber).first->second;
    if (number == watch.nextNumber) ++watch.nextNumber;
    using What = HostSoundChange::What;
    const What what = change->what == QRAUDIO_CHANGE_START  ? What::Start
                      : change->what == QRAUDIO_CHANGE_LOOP ? What::Loop
                      : change->what == QRAUDIO_CHANGE_STOP ? What::Stop
                                                            : What::Volume;
    watch.changes.push_back(HostSoundChange{
        .what = what,
        .buffer = number,
        .wave = change->origin ? qrsystem_resource_holding(change->origin, "WAVE") : 0,
        .looping = change->looping != 0,
        .volume = change->volume,
        .offset = change->offset,
    });
    while (watch.changes.size() > keptChanges) watch.changes.pop_front();
}

}  // namespace

void HostSoundWatch(bool watching) {
    qraudio_set_observer(watching ? Observe : nullptr, nullptr);
    if (!watching) Watched() = Watch{};
}

std::vector<HostSoundChange> HostSoundTakeChanges() {
    Watch& watch = Watched();
    std::vector<HostSoundChange> taken(watch.changes.begin(), watch.changes.end());
    watch.changes.clear();
    return taken;
}

#endif

}  // namespace panelhost
