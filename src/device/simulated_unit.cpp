#include "device/simulated_unit.h"

#include <algorithm>
#include <bit>

#include "device/hardware_id.h"

namespace valdro {

namespace {

constexpr std::uint16_t kForeignVendorId = 0x046D;
constexpr std::uint16_t kForeignProductId = 0xC31C;
constexpr std::uint16_t kForeignRelease = 0x6400;

HidInterfaceInfo UnitInfo(const char* path, const char* serial, std::uint16_t revision) {
    HidInterfaceInfo info;
    info.path = path;
    info.hardwareId = FormatHardwareId(kOrvelixVendorId, kOrvelixProductId, revision);
    info.vendorId = kOrvelixVendorId;
    info.productId = kOrvelixProductId;
    info.release = revision;
    info.serialNumber = serial;
    info.product = kSimUnitProduct;
    return info;
}

HidReport Acknowledgement(std::uint8_t code) {
    HidReport r{};
    r[1] = code;
    return r;
}

}  // namespace

SimulatedUnit::SimulatedUnit(SimulatedFaults faults) : faults_(faults) {
    stored_.SetDefaults();
}

void SimulatedUnit::SetFaults(const SimulatedFaults& faults) {
    std::lock_guard lk(m_);
    faults_ = faults;
    reportsSinceStart_ = 0;
    cv_.notify_all();
}

void SimulatedUnit::Unplug() {
    std::lock_guard lk(m_);
    replugAt_.reset();
    UnplugLocked();
}

void SimulatedUnit::UnplugLocked() {
    unplugged_ = true;
    replies_.clear();
    capturing_ = false;
    cv_.notify_all();
}

void SimulatedUnit::Replug() {
    std::lock_guard lk(m_);
    ReplugLocked();
}

void SimulatedUnit::ReplugLocked() {
    replugAt_.reset();
    if (!unplugged_) {
        return;
    }
    unplugged_ = false;
    ++generation_;
    cv_.notify_all();
}

void SimulatedUnit::ReplugIfDueLocked() {
    if (replugAt_ && Clock::now() >= *replugAt_) {
        ReplugLocked();
    }
}

std::vector<HidReport> SimulatedUnit::WrittenReports() const {
    std::lock_guard lk(m_);
    return {written_.begin(), written_.end()};
}

std::size_t SimulatedUnit::WrittenReportCount() const {
    std::lock_guard lk(m_);
    return writtenCount_;
}

void SimulatedUnit::ClearWrittenReports() {
    std::lock_guard lk(m_);
    written_.clear();
    writtenCount_ = 0;
}

int SimulatedUnit::DownloadsCompleted() const {
    std::lock_guard lk(m_);
    return downloadsCompleted_;
}

ConfigSet SimulatedUnit::LastDownload() const {
    std::lock_guard lk(m_);
    return stored_;
}

int SimulatedUnit::GetStatusCount() const {
    std::lock_guard lk(m_);
    return static_cast<int>(statusPolls_);
}

void SimulatedUnit::SetSingleUnitMode(bool on) {
    std::lock_guard lk(m_);
    singleUnitMode_ = on;
}

void SimulatedUnit::SetStatusOverride(std::vector<std::uint8_t> bytesFromReplyByte2) {
    std::lock_guard lk(m_);
    if (bytesFromReplyByte2.size() > kReportSize - 2) {
        bytesFromReplyByte2.resize(kReportSize - 2);
    }
    statusOverride_ = std::move(bytesFromReplyByte2);
}

SimulatedUnit::IoWords SimulatedUnit::IoPattern(int unit, std::uint32_t poll) {
    // A lamp walking along the outputs and a pair of inputs walking the other
    // way, one step per poll and offset per unit, so every grid visibly moves.
    const auto u = static_cast<std::uint32_t>(unit);
    IoWords w;
    w.outputs = std::rotl(std::uint16_t{0x0001}, static_cast<int>((poll + 3 * u) % 16));
    w.inputs = std::rotr(std::uint16_t{0x0003}, static_cast<int>((poll + 5 * u) % 16));
    return w;
}

std::vector<HidInterfaceInfo> SimulatedUnit::Listing() {
    std::lock_guard lk(m_);
    ReplugIfDueLocked();
    std::vector<HidInterfaceInfo> list;
    if (faults_.foreignDeviceFirst) {
        HidInterfaceInfo other;
        other.path = kSimForeignPath;
        other.hardwareId = FormatHardwareId(kForeignVendorId, kForeignProductId, kForeignRelease);
        other.vendorId = kForeignVendorId;
        other.productId = kForeignProductId;
        other.release = kForeignRelease;
        other.product = "USB Keyboard (simulated)";
        list.push_back(other);
    }
    if (faults_.programModeUnitToo) {
        list.push_back(
            UnitInfo(kSimProgramModeUnitPath, kSimProgramModeUnitSerial, kProgramModeRevision));
    }
    if (faults_.present && !unplugged_) {
        list.push_back(UnitInfo(kSimUnitPath, kSimUnitSerial,
                                faults_.programMode ? kProgramModeRevision : kApplicationRevision));
    }
    return list;
}

bool SimulatedUnit::OpenEndpoint(const std::string& path, SimEndpoint* endpoint,
                                 std::uint64_t* generation, OpenError* error) {
    std::lock_guard lk(m_);
    ReplugIfDueLocked();
    OpenError e = OpenError::NotFound;
    if (path == kSimUnitPath && faults_.present && !unplugged_) {
        *endpoint = SimEndpoint::Unit;
        e = faults_.accessDenied ? OpenError::AccessDenied : OpenError::None;
    } else if (path == kSimProgramModeUnitPath && faults_.programModeUnitToo) {
        *endpoint = SimEndpoint::ProgramModeUnit;
        e = OpenError::None;
    } else if (path == kSimForeignPath && faults_.foreignDeviceFirst) {
        *endpoint = SimEndpoint::Foreign;
        e = OpenError::None;
    }
    *generation = generation_;
    if (error != nullptr) {
        *error = e;
    }
    return e == OpenError::None;
}

bool SimulatedUnit::AliveLocked(SimEndpoint endpoint, std::uint64_t generation) const {
    switch (endpoint) {
        case SimEndpoint::Unit:
            return !unplugged_ && generation == generation_ && faults_.present;
        case SimEndpoint::ProgramModeUnit:
            return faults_.programModeUnitToo;
        case SimEndpoint::Foreign:
            return faults_.foreignDeviceFirst;
    }
    return false;
}

int SimulatedUnit::WriteReport(SimEndpoint endpoint, std::uint64_t generation,
                               const std::uint8_t* data, std::size_t length) {
    std::lock_guard lk(m_);
    // The unit has one unnumbered report; anything else is refused as the bus would.
    if (!AliveLocked(endpoint, generation) || length == 0 || length > kReportSize || data[0] != 0) {
        return -1;
    }
    HidReport report{};
    std::copy_n(data, length, report.begin());
    switch (endpoint) {
        case SimEndpoint::Unit:
            written_.push_back(report);
            ++writtenCount_;
            if (written_.size() > kWrittenReportsKept) {
                written_.pop_front();
            }
            AnswerLocked(report);
            break;
        case SimEndpoint::ProgramModeUnit:
            AnswerProgramModeUnitLocked(report);
            break;
        case SimEndpoint::Foreign:
            break;  // another vendor's device: takes the report, never answers
    }
    return static_cast<int>(length);
}

int SimulatedUnit::ReadReply(SimEndpoint endpoint, std::uint64_t generation, std::uint8_t* buf,
                             std::size_t length, int timeoutMs, std::string* why) {
    std::unique_lock lk(m_);
    const bool forever = timeoutMs < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!AliveLocked(endpoint, generation)) {
            if (why != nullptr) {
                *why = endpoint == SimEndpoint::Unit && (unplugged_ || generation != generation_)
                           ? "simulated unit unplugged"
                           : "simulated interface removed";
            }
            return -1;
        }
        std::deque<Reply>* queue = endpoint == SimEndpoint::Unit              ? &replies_
                                   : endpoint == SimEndpoint::ProgramModeUnit ? &programModeReplies_
                                                                              : nullptr;
        Clock::time_point wakeAt = deadline;
        if (queue != nullptr && !queue->empty()) {
            const Reply& front = queue->front();
            if (front.readyAt <= Clock::now()) {
                const std::size_t n = std::min(front.length, length);
                std::copy_n(front.bytes.begin(), n, buf);
                queue->pop_front();
                return static_cast<int>(n);
            }
            if (forever || front.readyAt < wakeAt) {
                wakeAt = front.readyAt;
                cv_.wait_until(lk, wakeAt);
                continue;
            }
        }
        if (forever) {
            cv_.wait(lk);
            continue;
        }
        if (Clock::now() >= deadline) {
            return 0;
        }
        cv_.wait_until(lk, wakeAt);
    }
}

void SimulatedUnit::QueueLocked(std::deque<Reply>& queue, const HidReport& reply) {
    Reply r;
    r.bytes = reply;
    if (faults_.shortReplyBytes > 0) {
        r.length =
            std::min<std::size_t>(static_cast<std::size_t>(faults_.shortReplyBytes), kReportSize);
    }
    r.readyAt = Clock::now() + std::chrono::milliseconds(std::max(faults_.replyDelayMs, 0));
    queue.push_back(r);
    cv_.notify_all();
}

void SimulatedUnit::AnswerLocked(const HidReport& report) {
    ++reportsSinceStart_;
    const auto count = static_cast<long long>(reportsSinceStart_);
    if (faults_.unplugAtReport >= 0 && count == faults_.unplugAtReport) {
        UnplugLocked();
        if (faults_.replugAfterMs >= 0) {
            // Found again only by a new search, as a real unit after its cable is back.
            replugAt_ = Clock::now() + std::chrono::milliseconds(faults_.replugAfterMs);
        }
        return;
    }
    if (faults_.silentAfterReport >= 0 && count > faults_.silentAfterReport) {
        return;
    }

    HidReport reply = Acknowledgement(report[1]);
    switch (report[1]) {
        case cmd::Identify:
            reply[2] = kApplicationId[0];
            reply[3] = kApplicationId[1];
            reply[4] = faults_.wrongIdentity ? std::uint8_t{9} : kApplicationId[2];
            break;
        case cmd::BeginDownload:
            capture_.Begin();
            capturing_ = true;
            break;
        case cmd::BlockFirstHalf:
        case cmd::BlockSecondHalf:
            if (capturing_) {
                capture_.Record(report);
            }
            break;
        case cmd::EndDownload:
            // An unfinished download is not taken over: the unit keeps what it had.
            if (capturing_ && ApplyDownload(capture_, stored_)) {
                ++downloadsCompleted_;
            }
            capturing_ = false;
            break;
        case cmd::GetStatus:
            StatusReplyLocked(reply);
            break;
        case cmd::GetUnitName:
            NameReplyLocked(reply, report[2]);
            break;
        case cmd::GetOwnName:
            NameReplyLocked(reply, 0);
            break;
        default:
            return;  // not a command of this unit: no answer
    }
    QueueLocked(replies_, reply);
}

void SimulatedUnit::AnswerProgramModeUnitLocked(const HidReport& report) {
    // The boot loader answers every report, but never with the ApplicationId.
    QueueLocked(programModeReplies_, Acknowledgement(report[1]));
}

void SimulatedUnit::StatusReplyLocked(HidReport& reply) {
    const std::uint32_t poll = statusPolls_++;
    if (!statusOverride_.empty()) {
        std::fill(reply.begin() + 2, reply.end(), std::uint8_t{0});
        std::copy(statusOverride_.begin(), statusOverride_.end(), reply.begin() + 2);
        return;
    }
    auto putWord = [&](std::size_t at, std::uint16_t w) {
        reply[at] = static_cast<std::uint8_t>(w & 0xFF);
        reply[at + 1] = static_cast<std::uint8_t>(w >> 8);
    };
    if (singleUnitMode_) {
        const IoWords w = IoPattern(0, poll);
        reply[2] = 1;  // one unit reports itself
        reply[3] = 1;  // online
        putWord(4, w.outputs);
        putWord(22, w.inputs);
        return;
    }
    std::uint8_t mask = 0;
    for (int n = 1; n <= 8; ++n) {
        if (stored_.Unit(n).SlaveEnabled()) {
            mask = static_cast<std::uint8_t>(mask | (1u << (n - 1)));
        }
    }
    reply[2] = 0;
    reply[3] = mask;
    for (int u = 0; u < kUnitCount; ++u) {
        const bool present = u == 0 || ((mask >> (u - 1)) & 1) != 0;
        const IoWords w = present ? IoPattern(u, poll) : IoWords{};
        putWord(static_cast<std::size_t>(4 + 2 * u), w.outputs);
        putWord(static_cast<std::size_t>(22 + 2 * u), w.inputs);
    }
}

void SimulatedUnit::NameReplyLocked(HidReport& reply, int unit) const {
    std::fill(reply.begin() + 2, reply.end(), std::uint8_t{0});
    if (unit < 0 || unit >= kUnitCount) {
        return;  // no such unit: an empty name
    }
    const std::uint8_t* name = stored_.Unit(unit).Bytes().data() + field::DeviceName;
    const std::size_t len = std::find(name, name + field::DeviceNameSize, std::uint8_t{0}) - name;
    std::copy_n(name, len, reply.begin() + 2);  // the NUL follows from the fill
}

}  // namespace valdro
