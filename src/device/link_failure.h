#pragma once
// The ways the link fails where the user must hear of it, each with its one text.
// The engine reports them as values; whoever tells the user turns them into words.

#include <optional>
#include <string>
#include <string_view>

#include "device/hid_platform.h"

namespace valdro {

enum class LinkFailure {
    ProgramMode,       // only a unit in program mode was found (its channel stays open)
    CannotFind,        // no unit could be opened
    WrongApplication,  // the identity reply lacks the ApplicationId
    LostComms,         // no reply within a second
};

// An interface that matched but would not open, and why.
struct OpenFailure {
    std::string path;
    OpenError reason = OpenError::Other;
    bool operator==(const OpenFailure&) const = default;
};

struct LinkError {
    LinkFailure failure = LinkFailure::CannotFind;
    // CannotFind only: the last matching interface that would not open; empty when
    // none matched at all.
    std::optional<OpenFailure> open;
    bool operator==(const LinkError&) const = default;
};

// The exact text the user sees, e.g. "Cannot find ORVELIX".
std::string_view LinkFailureText(LinkFailure failure);

// One line on why an interface may not be opened by this user, naming it and what
// gives access (the udev rule on Linux); empty unless the reason is AccessDenied.
std::string AccessDeniedDetail(const LinkError& error);

}  // namespace valdro
