#pragma once

#include <QString>

// Where users reach the maker: the support address in every error report and the home page
// opened now and then at start-up.
inline const QString SupportAddress = QStringLiteral("support@quorvane.org");
inline const QString MakerHomePage = QStringLiteral("https://quorvane.org/");
