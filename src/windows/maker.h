// The program's name and the maker's addresses and notices, kept in one place.
#pragma once

#include "version.h"

namespace corvane {

// The program's name as its message boxes show it.
inline constexpr const char* kAppTitle = "Corvane";

}  // namespace corvane

namespace corvane::maker {

// The web site as a host name alone (the picture window's link label opens it as it stands).
inline constexpr const char* kHost = "www.corvane.com";
inline constexpr const char* kHomePage = "http://www.corvane.com/index.htm";
inline constexpr const char* kProfessionalPage = "http://www.corvane.com/Corvane/buy/app.htm";
// The About window's home-page link, a full web address.
inline constexpr const char* kHomeAddress = "http://www.corvane.com";
inline constexpr const char* kEmail = "support@corvane.com";
inline constexpr const char* kOwnershipNotice = CORVANE_COPYRIGHT;
inline constexpr const char* kAuthorCredit = "Made by " CORVANE_COMPANY_NAME;

}  // namespace corvane::maker
