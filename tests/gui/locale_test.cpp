#include <QLineEdit>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"

extern std::string g_numericLocaleAfterQApplication;

TEST(NumericLocale, NumbersKeepTheirPointUnderACommaLocale) {
    // The environment really was a comma-decimal one when Qt started.
    ASSERT_EQ(g_numericLocaleAfterQApplication.rfind("de_DE", 0), 0u)
        << "de_DE.UTF-8 is not generated; scripts/deps makes it";
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", 1.5);
    EXPECT_STREQ(buf, "1.500");
    EXPECT_EQ(kivra::FormatValue("", 12345.678), "12346");
    EXPECT_EQ(kivra::FormatValue("", 0.05), "0.050");

    // An edit box's text goes through the same reader as a file's.
    QLineEdit edit;
    edit.setText(QString::number(2.5e-4));
    EXPECT_DOUBLE_EQ(kivra::LeadingNumber(edit.text().toStdString()), 2.5e-4);
    for (double v : {1e5, 1.00084e-3, -123.456, 6.02214076e23}) {
        std::snprintf(buf, sizeof buf, "%g", v);
        double back = 0;
        ASSERT_TRUE(kivra::StrictNumber(buf, back)) << buf;
        EXPECT_DOUBLE_EQ(back, std::stod(buf));
    }
}
