#include "input/EvdevKeySource.h"

#include "common/Log.h"

#include <libudev.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>

#include <fcntl.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace plinkum {
namespace {

UniqueFd openNode(const char *devnode)
{
    int fd;
    do {
        fd = ::open(devnode, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

constexpr std::size_t bitsPerLong = sizeof(unsigned long) * CHAR_BIT;
using KeyBits = std::array<unsigned long, (KEY_CNT + bitsPerLong - 1) / bitsPerLong>;

// The keys and buttons a device has; none when it cannot tell.
KeyBits keyBits(int fd)
{
    KeyBits bits{};
    if (::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof(bits)), bits.data()) < 0)
        bits.fill(0);
    return bits;
}

bool has(const KeyBits &bits, unsigned code)
{
    return bits[code / bitsPerLong] & (1UL << (code % bitsPerLong));
}

// udev's own keyboard rule (KEY_ESC up to KEY_D all present), for nodes no udev daemon has
// tagged, as in containers that pass /dev/input through.
bool hasKeyboardKeys(const KeyBits &bits)
{
    return (bits[0] & 0xFFFFFFFEUL) == 0xFFFFFFFEUL;
}

bool tagged(udev_device *device, const char *property)
{
    const char *value = udev_device_get_property_value(device, property);
    return value && std::string_view(value) == "1";
}

bool taggedKeyboard(udev_device *device)
{
    return tagged(device, "ID_INPUT_KEYBOARD");
}

// Mice, trackballs, pointing sticks and touchpads (their physical buttons).
bool taggedPointer(udev_device *device)
{
    return tagged(device, "ID_INPUT_MOUSE") || tagged(device, "ID_INPUT_TOUCHPAD")
        || tagged(device, "ID_INPUT_POINTINGSTICK") || tagged(device, "ID_INPUT_TRACKBALL");
}

// A pointer that is no keyboard is only read for its clicks: the kernel filters everything else
// for this reader, so moving the pointer or touching the pad never wakes the keyboard thread
// (an empty report is not even delivered). Kernels before 4.4 deliver everything; the reader
// drops it.
void listenToClicksOnly(int fd)
{
    KeyBits buttons{};
    for (const unsigned code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA})
        buttons[code / bitsPerLong] |= 1UL << (code % bitsPerLong);
    input_mask keys{EV_KEY, static_cast<__u32>(sizeof(buttons)), reinterpret_cast<__u64>(buttons.data())};
    ::ioctl(fd, EVIOCSMASK, &keys);
    for (const unsigned type : {EV_REL, EV_ABS, EV_MSC}) {
        input_mask none{type, 0, 0};
        ::ioctl(fd, EVIOCSMASK, &none);
    }
}

bool isEventNode(udev_device *device)
{
    const char *sysname = udev_device_get_sysname(device);
    return sysname && std::string_view(sysname).starts_with("event");
}

} // namespace

EvdevKeySource::EvdevKeySource()
    : m_epoll(::epoll_create1(EPOLL_CLOEXEC))
    , m_stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_stop.get();
    ::epoll_ctl(m_epoll.get(), EPOLL_CTL_ADD, m_stop.get(), &ev);
}

EvdevKeySource::~EvdevKeySource()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

std::unique_ptr<EvdevKeySource> EvdevKeySource::open(const std::string &deviceDir, Scan *scan)
{
    Scan local;
    Scan &result = scan ? *scan : local;
    result = {};

    std::unique_ptr<EvdevKeySource> source(new EvdevKeySource());
    if (!source->m_epoll || !source->m_stop)
        return nullptr;
    source->m_deviceDir = deviceDir;
    while (source->m_deviceDir.size() > 1 && source->m_deviceDir.back() == '/')
        source->m_deviceDir.pop_back();
    source->m_udev = udev_new();
    if (!source->m_udev)
        return nullptr;

    // Watch before scanning, so a keyboard plugged in meanwhile is not missed.
    source->m_monitor = udev_monitor_new_from_netlink(source->m_udev, "udev");
    if (source->m_monitor
        && udev_monitor_filter_add_match_subsystem_devtype(source->m_monitor, "input", nullptr) >= 0
        && udev_monitor_enable_receiving(source->m_monitor) >= 0) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = udev_monitor_get_fd(source->m_monitor);
        ::epoll_ctl(source->m_epoll.get(), EPOLL_CTL_ADD, ev.data.fd, &ev);
    } else if (source->m_monitor) {
        udev_monitor_unref(source->m_monitor);
        source->m_monitor = nullptr;
    }

    source->scanDevices(result);
    // Pointers alone are no keyboard access: without a keyboard the source is not wanted.
    if (result.readable == 0)
        return nullptr;
    return source;
}

std::unique_ptr<EvdevKeySource> EvdevKeySource::fromDescriptors(std::vector<UniqueFd> fds)
{
    std::unique_ptr<EvdevKeySource> source(new EvdevKeySource());
    for (UniqueFd &fd : fds)
        source->addDevice(std::move(fd), {}, false);
    return source;
}

void EvdevKeySource::scanDevices(Scan &scan)
{
    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    if (!enumerate)
        return;
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        const char *devnode = udev_device_get_devnode(device);
        const bool initialized = udev_device_get_is_initialized(device) > 0;
        if (isEventNode(device) && devnode && isUnderDeviceDir(devnode)
            && (!initialized || taggedKeyboard(device) || taggedPointer(device))) {
            UniqueFd fd = openNode(devnode);
            // A pointer with buttons that click (BTN_LEFT present), for untagged nodes as above.
            const KeyBits bits = !initialized && fd ? keyBits(fd.get()) : KeyBits{};
            const bool keyboard = initialized ? taggedKeyboard(device) : hasKeyboardKeys(bits);
            const bool pointer = initialized ? taggedPointer(device) : has(bits, BTN_LEFT);
            if (keyboard)
                ++scan.keyboards;
            if (keyboard && fd)
                ++scan.readable;
            if ((keyboard || pointer) && fd)
                addDevice(std::move(fd), devnode, !keyboard);
        }
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
}

bool EvdevKeySource::isUnderDeviceDir(const char *devnode) const
{
    const std::string_view node(devnode);
    return node.size() > m_deviceDir.size() && node.starts_with(m_deviceDir)
        && node[m_deviceDir.size()] == '/';
}

void EvdevKeySource::addDevice(UniqueFd fd, std::string devnode, bool clicksOnly)
{
    if (clicksOnly)
        listenToClicksOnly(fd.get());
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd.get();
    if (::epoll_ctl(m_epoll.get(), EPOLL_CTL_ADD, fd.get(), &ev) < 0)
        return;
    m_devices.push_back({std::move(devnode), std::make_unique<EvdevReader>(std::move(fd))});
    m_deviceCount.store(m_devices.size(), std::memory_order_relaxed);
}

void EvdevKeySource::removeDevice(std::size_t index, InputSink &sink)
{
    Device &device = m_devices[index];
    device.reader->releaseAll(sink);
    ::epoll_ctl(m_epoll.get(), EPOLL_CTL_DEL, device.reader->fd(), nullptr);
    m_devices.erase(m_devices.begin() + static_cast<std::ptrdiff_t>(index));
    m_deviceCount.store(m_devices.size(), std::memory_order_relaxed);
    plinkum::logLater("input device removed; devices read: " + std::to_string(m_devices.size()));
}

void EvdevKeySource::stop()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stop.get(), &one, sizeof(one));
}

void EvdevKeySource::run(InputSink &sink)
{
    const int monitorFd = m_monitor ? udev_monitor_get_fd(m_monitor) : -1;
    std::array<epoll_event, 16> events;
    for (;;) {
        const int n = ::epoll_wait(m_epoll.get(), events.data(), static_cast<int>(events.size()), -1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            plinkum::logLater(std::string("keyboard input stopped: epoll_wait failed: ") + std::strerror(errno));
            return;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            if (fd == m_stop.get())
                return;
            if (fd == monitorFd) {
                handleHotplug(sink);
                continue;
            }
            for (std::size_t d = 0; d < m_devices.size(); ++d) {
                if (m_devices[d].reader->fd() != fd)
                    continue;
                if (m_devices[d].reader->readAvailable(sink) == EvdevReader::Status::Closed)
                    removeDevice(d, sink);
                break;
            }
        }
    }
}

void EvdevKeySource::handleHotplug(InputSink &sink)
{
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const char *action = udev_device_get_action(device);
        const char *devnode = udev_device_get_devnode(device);
        if (action && devnode && isEventNode(device) && isUnderDeviceDir(devnode)) {
            const std::string_view what(action);
            std::size_t index = 0;
            while (index < m_devices.size() && m_devices[index].devnode != devnode)
                ++index;
            const bool known = index < m_devices.size();
            if (what == "remove" && known) {
                removeDevice(index, sink);
            } else if (what == "add" && !known && (taggedKeyboard(device) || taggedPointer(device))) {
                if (UniqueFd fd = openNode(devnode)) {
                    addDevice(std::move(fd), devnode, !taggedKeyboard(device));
                    plinkum::logLater("input device added; devices read: " + std::to_string(m_devices.size()));
                } else {
                    plinkum::logLater(std::string("an input device was plugged in but is not readable: ")
                                 + std::strerror(errno));
                }
            }
        }
        udev_device_unref(device);
    }
}

} // namespace plinkum
