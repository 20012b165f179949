#pragma once

#include "input/EvdevReader.h"
#include "input/InputSource.h"
#include "input/UniqueFd.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace plinkum {

// Listens to every keyboard's event node (udev's ID_INPUT_KEYBOARD) and every pointer's (mice,
// trackballs, pointing sticks, touchpads: for their button clicks only) without grabbing it, so
// other programs still get every event. Devices plugged in or removed while running are picked up
// or dropped through udev's hot-plug notices. All reading happens in run(), driven by epoll.
class EvdevKeySource final : public InputSource {
public:
    struct Scan {
        int keyboards = 0; // keyboard nodes found
        int readable = 0;  // of those, opened for reading
    };

    // Opens every keyboard and pointer node under deviceDir; null when no keyboard is readable
    // (then scan tells why).
    static std::unique_ptr<EvdevKeySource> open(const std::string &deviceDir, Scan *scan = nullptr);
    // Reads the given already-open streams of input_event records: no discovery, no hot-plug.
    static std::unique_ptr<EvdevKeySource> fromDescriptors(std::vector<UniqueFd> fds);

    ~EvdevKeySource() override;

    void run(InputSink &sink) override;
    void stop() override;
    std::string_view name() const override { return "evdev"; }

    // False when udev's hot-plug notices are unavailable (devices plugged in later go unheard).
    bool watchesHotplug() const { return m_monitor != nullptr; }
    // Devices being read; any thread may ask.
    std::size_t deviceCount() const { return m_deviceCount.load(std::memory_order_relaxed); }

private:
    struct Device {
        std::string devnode;
        std::unique_ptr<EvdevReader> reader;
    };

    EvdevKeySource();
    void addDevice(UniqueFd fd, std::string devnode, bool clicksOnly);
    void removeDevice(std::size_t index, InputSink &sink);
    void scanDevices(Scan &scan);
    void handleHotplug(InputSink &sink);
    bool isUnderDeviceDir(const char *devnode) const;

    UniqueFd m_epoll;
    UniqueFd m_stop;
    std::string m_deviceDir;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::vector<Device> m_devices;
    std::atomic<std::size_t> m_deviceCount{0};
};

} // namespace plinkum
