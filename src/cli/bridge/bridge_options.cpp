#include "cli/bridge/bridge_options.h"

#include <cstdlib>
#include <iostream>
#include <span>

#include "bridge/bind_address.h"
#include "bridge/mqtt_credentials.h"
#include "bridge/mqtt_topics.h"
#include "bridge/mqtt_url.h"
#include "cli/cli_command.h"
#include "cli/cli_device.h"

namespace valdro::cli {
namespace {

struct OptionInfo {
    const char* name;
    const char* valueName;  // empty for a flag
    const char* help;       // "\n" goes on over several lines
};

constexpr OptionInfo kOutputOptions[] = {
    {"--mqtt", "URL",
     "publish to mqtt://HOST[:PORT][/PREFIX], or with TLS\n"
     "to mqtts://...; ports 1883 and 8883, PREFIX\n"
     "valdrometrica unless given"},
    {"--modbus", "[HOST:]PORT",
     "serve Modbus TCP on PORT (502 is the usual one), on\n"
     "every interface unless HOST is given ([::1]:1502)"},
};

constexpr OptionInfo kMqttOptions[] = {
    {"--mqtt-user", "NAME",
     "the broker's user name (or it is in\n"
     "VALDROMETRICA_MQTT_USERNAME)"},
    {"--mqtt-password-file", "FILE",
     "the password is the file's first line (or it is in\n"
     "VALDROMETRICA_MQTT_PASSWORD); never on the command\n"
     "line"},
    {"--mqtt-ca", "FILE",
     "mqtts: CA certificates (PEM) that vouch for the\n"
     "broker; the system's store in /etc/ssl/certs if none"},
    {"--mqtt-cert", "FILE", "mqtts: a client certificate (PEM), with --mqtt-key"},
    {"--mqtt-key", "FILE", "mqtts: the client certificate's private key (PEM)"},
    {"--mqtt-client-id", "ID", "the client id at the broker (random when not given)"},
    {"--ha-discovery", "",
     "announce every input and output as a binary sensor\n"
     "to home and building automation servers (MQTT\n"
     "discovery)"},
    {"--ha-discovery-prefix", "PREFIX", "their discovery prefix (default homeassistant)"},
};

constexpr OptionInfo kOtherOptions[] = {
    {"--search-interval", "SECONDS", "look for a unit that is gone this often (default 5)"},
};

constexpr const char* kRefusedPassword = "--mqtt-password";
constexpr int kMaxSearchSeconds = 3600;
constexpr int kColumn = 26;

void AppendOptions(std::string& text, const char* heading, std::span<const OptionInfo> options) {
    text += heading;
    for (const OptionInfo& o : options) {
        std::string left = std::string("  ") + o.name;
        if (*o.valueName != '\0') {
            left += std::string(" ") + o.valueName;
        }
        if (left.size() + 2 > kColumn) {
            left += '\n';
            left += std::string(kColumn, ' ');
        } else {
            left.resize(kColumn, ' ');
        }
        text += left;
        for (const char* c = o.help; *c != '\0'; ++c) {
            text += *c;
            if (*c == '\n') {
                text += std::string(kColumn, ' ');
            }
        }
        text += '\n';
    }
}

void Register(ArgParser& parser, std::span<const OptionInfo> options) {
    for (const OptionInfo& o : options) {
        if (*o.valueName == '\0') {
            parser.Flag(o.name);
        } else {
            parser.Option(o.name);
        }
    }
}

bool Given(const ArgParser& parser, const OptionInfo& o) {
    return *o.valueName == '\0' ? parser.Has(o.name) : parser.Value(o.name).has_value();
}

std::string Value(const ArgParser& parser, const char* name) {
    return parser.Value(name).value_or("");
}

// The MQTT output from --mqtt and its options; a usage error's exit code otherwise.
std::optional<int> ReadMqtt(const ArgParser& parser, std::optional<bridge::MqttOptions>& out) {
    const auto url = parser.Value("--mqtt");
    if (!url) {
        for (const OptionInfo& o : kMqttOptions) {
            if (Given(parser, o)) {
                return parser.UsageError(std::string(o.name) + " needs --mqtt");
            }
        }
        return std::nullopt;
    }
    std::string error;
    const auto parsed = bridge::ParseMqttUrl(*url, &error);
    if (!parsed) {
        return parser.UsageError(error);
    }
    bridge::MqttOptions mqtt;
    mqtt.url = *parsed;
    const auto login = bridge::ResolveMqttCredentials(
        {Value(parser, "--mqtt-user"), Value(parser, "--mqtt-password-file")},
        [](const char* name) -> const char* { return std::getenv(name); }, &error);
    if (!login) {
        // Not the whole usage: the command line is right, the file or variable is not.
        std::cerr << "valdrometrica-cli bridge: " << error << '\n';
        return kExitUsage;
    }
    mqtt.credentials = *login;
    mqtt.caFile = Value(parser, "--mqtt-ca");
    mqtt.certFile = Value(parser, "--mqtt-cert");
    mqtt.keyFile = Value(parser, "--mqtt-key");
    if (!mqtt.url.tls &&
        (!mqtt.caFile.empty() || !mqtt.certFile.empty() || !mqtt.keyFile.empty())) {
        return parser.UsageError("--mqtt-ca, --mqtt-cert and --mqtt-key are for mqtts:// only");
    }
    if (mqtt.certFile.empty() != mqtt.keyFile.empty()) {
        return parser.UsageError("--mqtt-cert and --mqtt-key go together");
    }
    mqtt.clientId = Value(parser, "--mqtt-client-id");
    mqtt.discovery = parser.Has("--ha-discovery");
    if (const auto prefix = parser.Value("--ha-discovery-prefix")) {
        if (!mqtt.discovery) {
            return parser.UsageError("--ha-discovery-prefix needs --ha-discovery");
        }
        mqtt.discoveryPrefix = *prefix;
    }
    out = std::move(mqtt);
    return std::nullopt;
}

}  // namespace

const std::string& BridgeOptionsUsage() {
    static const std::string usage = [] {
        std::string text;
        AppendOptions(text, "Outputs (at least one):\n", kOutputOptions);
        AppendOptions(text, "\nMQTT options:\n", kMqttOptions);
        AppendOptions(text, "\nOther options:\n", kOtherOptions);
        return text;
    }();
    return usage;
}

void AddBridgeOptions(ArgParser& parser) {
    Register(parser, kOutputOptions);
    Register(parser, kMqttOptions);
    Register(parser, kOtherOptions);
    parser.Option(kRefusedPassword);  // known, so that it is refused with the reason
    AddDeviceOptions(parser);
}

std::optional<int> ReadBridgeOptions(const ArgParser& parser, BridgeCommandOptions& out) {
    if (parser.Value(kRefusedPassword)) {
        return parser.UsageError(
            "no password on the command line, where ps shows it to every user: put it in a "
            "file (--mqtt-password-file FILE) or in VALDROMETRICA_MQTT_PASSWORD");
    }
    if (!parser.Value("--mqtt") && !parser.Value("--modbus")) {
        return parser.UsageError(
            "at least one output is needed: --mqtt URL, --modbus PORT or both");
    }
    if (auto exit = ReadMqtt(parser, out.outputs.mqtt)) {
        return exit;
    }
    if (const auto bind = parser.Value("--modbus")) {
        std::string error;
        const auto address = bridge::ParseBindAddress(*bind, &error);
        if (!address) {
            return parser.UsageError("--modbus: " + error);
        }
        out.outputs.modbus = bridge::ModbusOptions{*address};
    }
    if (const auto text = parser.Value("--search-interval")) {
        const auto seconds = ParseInteger(*text, 1, kMaxSearchSeconds);
        if (!seconds) {
            return parser.UsageError("--search-interval takes whole seconds from 1 to 3600");
        }
        out.searchInterval = std::chrono::seconds(*seconds);
    }
    return ReadDeviceOptions(parser, out.device);
}

}  // namespace valdro::cli
