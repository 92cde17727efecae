#include <fstream>
#include <thread>

#include "engine_rig.h"

namespace valdro::test {

void CountingPoster::Post() {
    {
        std::lock_guard lock(m_);
        ++posts_;
    }
    cv_.notify_all();
}

bool CountingPoster::WaitBeyond(long seen, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, wait, [&] { return posts_ > seen; });
}

EngineRig::EngineRig(SimulatedFaults faults) : sim(faults) {
    config.SetDefaults();
}

bool EngineRig::DeliverOne(std::chrono::milliseconds wait) {
    // Posts and deliveries pair up: the receive thread posts once per report and
    // waits for its delivery before it reads the next.
    if (!poster.WaitBeyond(delivered, wait)) {
        return false;
    }
    ++delivered;
    engine.DeliverPendingReport();
    return true;
}

bool EngineRig::DeliverUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (!DeliverOne()) {
            return false;
        }
    }
    return true;
}

void EngineRig::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        engine.Tick();
    }
}

bool EngineRig::WaitChannelDropped() {
    for (int i = 0; i < 500 && engine.ChannelOpen(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !engine.ChannelOpen();
}

std::vector<int> EngineRig::Codes(std::size_t from) const {
    std::vector<int> codes;
    const auto written = Written();
    for (std::size_t i = from; i < written.size(); ++i) {
        codes.push_back(written[i][1]);
    }
    return codes;
}

ConfigSet RichConfig() {
    ConfigSet c;
    c.SetDefaults();
    for (int u = 0; u < kUnitCount; ++u) {
        UnitRecord r = c.Unit(u);
        const auto b = static_cast<std::uint8_t>(u);
        r.SetIPAddr(
            {192, 168, static_cast<std::uint8_t>(10 + b), static_cast<std::uint8_t>(20 + b)});
        r.SetGateWayAddr({192, 168, static_cast<std::uint8_t>(10 + b), 1});
        r.SetSubMaskAddr({255, 255, static_cast<std::uint8_t>(255 - b), 0});
        r.SetDNSAddress({8, 8, b, 4});
        r.SetDHCPEnable(u % 2 == 1);
        r.SetDeviceParamA(static_cast<std::uint8_t>(0x10 + b));
        r.SetDeviceParamB(static_cast<std::uint8_t>(0xA0 + b));
        r.SetClientPort(4000 + 257 * u);
        r.SetDeviceName("Slave " + std::to_string(u));
        r.SetSlaveEnabled(u != 3 && u != 6);
        r.SetAddressMode(static_cast<std::uint8_t>(u % 2));
        r.SetURL("http://unit-" + std::to_string(u) + ".example.net/io");
        for (int k = 0; k < kIoCount; ++k) {
            r.SetInvertInput(k, (k + u) % 5 == 0);
            r.SetInvertOutput(k, (k * 3 + u) % 7 == 0);
            r.SetOutputStartStatus(k, (k + 2 * u) % 4 == 1);
            r.SetOutputLatch(k, k == u || k == 15 - u);
            r.SetResetDevice(k, (u + k) % 9);
            r.SetResetInput(k, (3 * k + u) % 16);
        }
    }
    UnitRecord master = c.Unit(0);
    master.SetDeviceName("Master unit in the plant hall A1");  // 32 characters
    master.SetClientPort(3012);
    master.SetResetDevice(0, 2);
    master.SetResetInput(0, 5);
    for (int k = 0; k < kIoCount; ++k) {
        master.SetInvertInput(k, k == 0);
        c.Unit(2).SetOutputLatch(k, k == 0);
    }
    c.Unit(1).SetDeviceName("Slave one, 32 characters long!!!");  // 32 characters
    c.Unit(4).SetDeviceName("Café corner");                       // é is one byte on the unit
    c.Unit(5).SetClientPort(0x1F90A);                             // only the low 16 bits go
    c.Unit(8).SetURL(std::string(48, 'w'));                       // fills the field, no NUL
    c.Unit(3).SetDeviceName("Disabled three");

    for (int q = 0; q < kUnitCount; ++q) {
        for (int s = 0; s < kUnitCount; ++s) {
            for (int o = 0; o < kIoCount; ++o) {
                for (int i = 0; i < kIoCount; ++i) {
                    c.SetCell(q, s, o, i, (q * 7 + s * 5 + o * 3 + i) % 11 == 0);
                }
            }
        }
    }
    for (int i = 0; i < kIoCount; ++i) {
        c.SetCell(0, 2, 4, i, i == 2);  // output 5 of the Master driven by input 3 of Slave 2
    }
    return c;
}

std::vector<std::string> TraceHex(const std::string& path, char direction) {
    std::ifstream in(path);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() >= 2 + 130 && line[0] == direction && line[1] == ' ') {
            out.push_back(line.substr(2, 130));
        }
    }
    return out;
}

}  // namespace valdro::test
