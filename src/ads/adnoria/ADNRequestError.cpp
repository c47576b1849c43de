#include <ads/adnoria/ADNRequestError.hpp>

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNRequest.hpp>

#include <foundation/Format.hpp>

namespace ads::adnoria {

std::string ADNRequestError::messageForCode(int code) {
    switch (code) {
    case NoFill:
        return "No ad to show.";
    case NetworkError:
        return "A network error occurred.";
    case ServerError:
        return "Server error processing the request.";
    case OSVersionTooLow: {
        int major = 0, minor = 0, bugFix = 0;
        ADNIdentifierUtilities::getOSMajor(&major, &minor, &bugFix);
        return foundation::format(
            "This device's OS is %i.%i.%i.  It is below the minimum of %i.%i.", major, minor,
            bugFix, 3, 0);
    }
    case Timeout:
        return "The Adnoria Ad request was unable to be fulfilled before a timeout occurred.";
    default:
        return "Invalid ad request parameter(s).  Check the Xcode console for details.";
    }
}

std::string ADNRequestError::localizedStringForErrorCode(int code) {
    return "Request Error: " + messageForCode(code);
}

ADNRequestError ADNRequestError::errorWithCode(int code, ADNRequestPrivate* request) {
    ADNRequestError error;
    error.domain_ = ADNConfiguration::current().errorDomain;
    error.code_ = code;
    error.userInfo_ = base::Dictionary::create();
    auto message = messageForCode(code);
    error.userInfo_->setObject(NSLocalizedDescriptionKey, message);
    error.userInfo_->setObject(NSLocalizedFailureReasonKey, message);
    if (code == InvalidRequest && request)
        error.userInfo_->addEntriesFrom(*request->parameters());
    return error;
}

std::string ADNRequestError::localizedDescription() const {
    return userInfo_ ? userInfo_->objectForKey(NSLocalizedDescriptionKey).stringValue()
                     : std::string();
}

std::string ADNRequestError::localizedFailureReason() const {
    return userInfo_ ? userInfo_->objectForKey(NSLocalizedFailureReasonKey).stringValue()
                     : std::string();
}

}
