#include "engine_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "config/hex_text.h"
#include "device/download_decoder.h"

namespace valdro::test {

void RecordingEvents::LinkFailed(const LinkError& error) {
    constexpr const char* kTokens[] = {"program", "find", "identity", "lost"};
    constexpr const char* kReasons[] = {"", ":gone", ":denied", ":busy", ":other"};
    Box(std::string(kTokens[static_cast<int>(error.failure)]) +
        (error.open ? kReasons[static_cast<int>(error.open->reason)] : ""));
}

void RecordingEvents::Box(std::string token) {
    order.push_back(std::move(token));
    if (whileBoxOpen) {
        whileBoxOpen();
    }
}

void CountingPoster::Post() {
    {
        std::lock_guard lock(m_);
        ++posts_;
    }
    cv_.notify_all();
}

long CountingPoster::Posts() {
    std::lock_guard lock(m_);
    return posts_;
}

bool CountingPoster::WaitBeyond(long seen, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, wait, [&] { return posts_ > seen; });
}

bool EngineRig::Deliver(long n) {
    const long until = delivered + n;
    while (n < 0 ? engine.LinkState() != LinkState::Idle : delivered < until) {
        // The receive thread posts once a report and waits for its delivery.
        if (!poster.WaitBeyond(delivered, std::chrono::seconds(5))) {
            return false;
        }
        ++delivered;
        engine.DeliverPendingReport();
    }
    return true;
}

bool EngineRig::WaitChannelDropped() {
    for (int i = 0; i < 500 && engine.ChannelOpen(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !engine.ChannelOpen();
}

ConfigSet GoldenConfig() {
    ConfigSet c;
    c.SetDefaults();
    for (const char* file : {"download_master.trace", "download_slave5.trace"}) {
        DownloadCapture capture;
        for (const std::string& hex : TraceHex(std::string(VALDRO_TEST_DATA_DIR) + "/" + file)) {
            HidReport report{};
            const auto bytes = ParseHexBytes(hex).value_or(std::vector<std::uint8_t>{});
            std::copy_n(bytes.begin(), std::min(bytes.size(), report.size()), report.begin());
            capture.Record(report);
        }
        EXPECT_TRUE(ApplyDownload(capture, c)) << file;
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
