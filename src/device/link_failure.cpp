#include "device/link_failure.h"

#include "device/access_remedy.h"

namespace valdro {

std::string_view LinkFailureText(LinkFailure failure) {
    switch (failure) {
        case LinkFailure::ProgramMode:
            return "ORVELIX is in Program Mode";
        case LinkFailure::CannotFind:
            return "Cannot find ORVELIX";
        case LinkFailure::WrongApplication:
            // Two texts of the product joined: "Application is not a " and its name.
            return "Application is not a ORVELIX Valdrometrica";
        case LinkFailure::LostComms:
            return "Lost comms to ORVELIX";
    }
    return {};
}

std::string AccessDeniedDetail(const LinkError& error) {
    if (!error.open || error.open->reason != OpenError::AccessDenied) {
        return {};
    }
    return "Permission denied opening " + error.open->path + ": " +
           std::string(AccessDeniedRemedy());
}

}  // namespace valdro
