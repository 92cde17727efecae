// The bridge's MQTT topics and payloads, apart from any broker.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "bridge/mqtt_topics.h"
#include "bridge_records.h"

namespace valdro::bridge {
namespace {

using test::AllUnits;

std::map<std::string, std::string> AsMap(const std::vector<MqttMessage>& messages) {
    std::map<std::string, std::string> m;
    for (const MqttMessage& msg : messages) {
        EXPECT_TRUE(m.emplace(msg.topic, msg.payload).second) << "twice: " << msg.topic;
    }
    return m;
}

TEST(MqttTopics, UnitSegmentsAndTitles) {
    EXPECT_EQ(UnitSegment(0), "master");
    EXPECT_EQ(UnitSegment(1), "slave1");
    EXPECT_EQ(UnitSegment(8), "slave8");
    EXPECT_EQ(UnitTitle(0), "Master");
    EXPECT_EQ(UnitTitle(8), "Slave 8");
    EXPECT_THROW(UnitSegment(9), std::out_of_range);
    EXPECT_THROW(UnitTitle(9), std::out_of_range);
    EXPECT_EQ(UnitTopic("plant/io", 3, "input/16"), "plant/io/slave3/input/16");
    EXPECT_EQ(StatusTopic("plant/io"), "plant/io/status");
}

TEST(MqttTopics, FirstRecordThenChangesOnly) {
    LiveIoModel model;
    // Master: inputs 1 and 16 on, output 2 on; Slave 3 reports zeros; the rest nothing.
    const auto first = AsMap(ChangeMessages(
        "p", model, model.Feed(AllUnits({{0, 0x8001, 0x0002}, {3, 0, 0}}), test::Names())));
    // 2 known units x 32 bits + 9 states + 4 names.
    EXPECT_EQ(first.size(), 2u * 32 + 9 + 4);
    const std::pair<const char*, const char*> expected[] = {
        {"p/master/input/1", "1"},     {"p/master/input/2", "0"},     {"p/master/input/16", "1"},
        {"p/master/output/1", "0"},    {"p/master/output/2", "1"},    {"p/slave3/input/1", "0"},
        {"p/master/name", "Hall"},     {"p/slave3/name", "Café"},     {"p/slave8/name", "Gate"},
        {"p/slave1/state", "offline"}, {"p/slave8/state", "offline"},
    };
    for (const auto& [topic, payload] : expected) {
        ASSERT_TRUE(first.count(topic)) << topic;
        EXPECT_EQ(first.at(topic), payload) << topic;
    }
    EXPECT_FALSE(first.count("p/slave1/input/1")) << "never known: no bit topics";
    EXPECT_FALSE(first.count("p/slave2/name")) << "no name: nothing to say";

    // The state is the unit's object of `status --json`.
    const auto master = nlohmann::json::parse(first.at("p/master/state"));
    EXPECT_EQ(master["index"], 0);
    EXPECT_EQ(master["name"], "Hall");
    EXPECT_EQ(master["present"], true);
    EXPECT_EQ(master["inputs"], nlohmann::json({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(master["outputs"], nlohmann::json({0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(nlohmann::json::parse(first.at("p/slave3/state"))["index"], 3);

    // Input 16 off and Slave 3 gone: that bit, two states; the rest stays retained.
    const auto second = AsMap(
        ChangeMessages("p", model, model.Feed(AllUnits({{0, 0x0001, 0x0002}}), test::Names())));
    const std::map<std::string, std::string> want = {
        {"p/master/input/16", "0"},
        {"p/master/state", StatePayload(model, 0)},
        {"p/slave3/state", "offline"},
    };
    EXPECT_EQ(second, want);
    EXPECT_EQ(nlohmann::json::parse(second.at("p/master/state"))["inputs"][15], 0);
}

TEST(MqttTopics, DiscoveryDescribesEveryInputAndOutputOfAUnit) {
    LiveIoModel model;
    model.Feed(AllUnits({{0, 1, 0}, {2, 0, 0}}), test::Names());
    const auto named = DiscoveryMessages("ha", "plant/io", model, 0);
    ASSERT_EQ(named.size(), 32u);
    const auto topics = AsMap(named);
    const std::string topic = "ha/binary_sensor/plant_io/master_input_3/config";
    ASSERT_TRUE(topics.count(topic)) << named.front().topic;
    const auto j = nlohmann::json::parse(topics.at(topic));
    EXPECT_EQ(j["name"], "Input 3");
    EXPECT_EQ(j["unique_id"], "plant_io_master_input_3");
    EXPECT_EQ(j["state_topic"], "plant/io/master/input/3");
    EXPECT_EQ(j["payload_on"], "1");
    EXPECT_EQ(j["payload_off"], "0");
    EXPECT_EQ(j["device"]["name"], "Hall");
    EXPECT_EQ(j["device"]["identifiers"][0], "plant_io_master");
    EXPECT_EQ(j["availability_mode"], "all");
    EXPECT_EQ(j["availability"][0]["topic"], "plant/io/status");
    EXPECT_EQ(j["availability"][1]["topic"], "plant/io/master/state");
    EXPECT_TRUE(topics.count("ha/binary_sensor/plant_io/master_output_16/config"));
    // A unit without a name of its own appears under its title.
    const auto untitled = nlohmann::json::parse(DiscoveryMessages("ha", "p", model, 2)[0].payload);
    EXPECT_EQ(untitled["device"]["name"], "Slave 2");
    EXPECT_THROW(DiscoveryMessages("ha", "p", model, 9), std::out_of_range);
}

}  // namespace
}  // namespace valdro::bridge
