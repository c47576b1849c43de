#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNRequest.hpp>
#include <ads/adnoria/ADNRequestError.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNRequest;
using ads::adnoria::ADNRequestError;

namespace {
using ADNRequestErrorTest = test::AdnoriaTest;
}

TEST_F(ADNRequestErrorTest, EachCodeHasItsMessage) {
    struct Case {
        int code;
        char const* message;
    };
    for (auto c : {
             Case {0, "Invalid ad request parameter(s).  Check the Xcode console for details."},
             Case {1, "No ad to show."},
             Case {2, "A network error occurred."},
             Case {3, "Server error processing the request."},
             Case {4, "This device's OS is 4.3.0.  It is below the minimum of 3.0."},
             Case {
                 5, "The Adnoria Ad request was unable to be fulfilled before a timeout occurred."},
             Case {7, "Invalid ad request parameter(s).  Check the Xcode console for details."},
         }) {
        SCOPED_TRACE(c.code);
        auto error = ADNRequestError::errorWithCode(c.code);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.domain(), "test.adnoria.error");
        EXPECT_EQ(error.localizedDescription(), c.message);
        EXPECT_EQ(error.localizedFailureReason(), c.message);
        EXPECT_EQ(ADNRequestError::localizedStringForErrorCode(c.code),
            std::string("Request Error: ") + c.message);
    }
}

TEST_F(ADNRequestErrorTest, OnlyAnInvalidRequestCarriesTheRequestParameters) {
    auto request = ADNRequest::request();
    request->setGender(ADNRequest::Female);
    auto invalid = ADNRequestError::errorWithCode(0, request.get());
    EXPECT_EQ(invalid.userInfo()->objectForKey("cust_gender"), base::Value("f"));
    EXPECT_TRUE(invalid.userInfo()->contains("js"));
    auto other = ADNRequestError::errorWithCode(7, request.get());
    EXPECT_FALSE(other.userInfo()->contains("cust_gender"));
    EXPECT_EQ(other.userInfo()->size(), 2u);
}
