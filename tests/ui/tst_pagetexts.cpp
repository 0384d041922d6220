// Every page takes its captions from its own section of the language file, whatever its object is called.
#include "guitest.h"
#include "ui/pages/Uframeactive.h"
#include "ui/pages/Uframeadapter.h"
#include "ui/pages/Uframeapcfg.h"
#include "ui/pages/Uframeapfilter.h"
#include "ui/pages/Uframeapinfo.h"
#include "ui/pages/Uframeconfirm.h"
#include "ui/pages/Uframedot11.h"
#include "ui/pages/Uframelinkinfo.h"
#include "ui/pages/Uframenettype.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframeprofset.h"
#include "ui/pages/Uframesurvey.h"
#include "ui/pages/Uframesecurity.h"
#include "ui/pages/Uframewep.h"
#include "ui/pages/Uframewireless.h"
#include "ui/pages/Uframewpapsk.h"
#include "ui/pages/Uframewlmode.h"

#include <QLabel>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct PageCase {
    const char* section;
    const char* label;
    std::function<TPropertyPageFrame*()> create;
};

template <class T> std::function<TPropertyPageFrame*()> Make()
{
    return [] { return new T; };
}

const PageCase PAGES[] = {
    {"FrameLinkInfo", "LbStatus", Make<TFrameLinkInfo>()},
    {"FrameSurvey", "LbNetList", Make<TFrameSurvey>()},
    {"FrameProfile", "LbList", Make<TFrameProfile>()},
    {"FrameAdapter", "LbSetting", Make<TFrameAdapter>()},
    {"FrameNetType", "LbName", Make<TFrameNetType>()},
    {"FrameWlMode", "LbMode", Make<TFrameWlMode>()},
    {"FrameConfirm", "LbSSID", Make<TFrameConfirm>()},
    {"FrameActive", "LbMsg", Make<TFrameActive>()},
    {"FrameWireless", "LbWlModeSet", Make<TFrameWireless>()},
    {"FrameAPInfo", "LbStatus", Make<TFrameAPInfo>()},
    {"FrameAPCfg", "LbWireless", Make<TFrameAPCfg>()},
    {"FrameAPFilter", "LbFilter", Make<TFrameAPFilter>()},
    {"FrameSecurity", "LbSecurity", Make<TFrameSecurity>()},
    {"FrameWPAPSK", "LbPhrase", Make<TFrameWPAPSK>()},
    {"FrameWEP", "LbDefKey", Make<TFrameWEP>()},
    {"FrameDot11", "LbUser", Make<TFrameDot11>()},
};

} // namespace

TEST(PageTextsTest, EachPageReadsItsOwnSectionUnderAnyObjectName)
{
    QString language;
    for (const PageCase& c : PAGES)
        language +=
            QStringLiteral("[%1]\n%2=%1 text\n").arg(QLatin1String(c.section), QLatin1String(c.label));
    ScopedConfig config(QStringLiteral("[Setting]\n"), language);
    for (const PageCase& c : PAGES) {
        std::unique_ptr<TPropertyPageFrame> page(c.create());
        // Placed pages carry names such as "FrameProfile1"; that must not be the section read.
        page->setObjectName(QLatin1String(c.section) + QLatin1Char('1'));
        page->InitPage();
        auto* label = page->findChild<QLabel*>(QLatin1String(c.label));
        ASSERT_TRUE(label) << c.section;
        EXPECT_EQ(label->text().toStdString(), std::string(c.section) + " text");
        page->DonePage();
    }
}

TEST(PageTextsTest, TheProfilePageLeavesItsEditorsTextsToTheEditorPages)
{
    ScopedConfig config(QStringLiteral("[Setting]\n"),
                        QStringLiteral("[FrameProfile]\nLbNetType=Kind:\nLvProf_Col1=Name\n"
                                       "[FrameConfirm]\nLbNetType=Type of network\n"));
    TFrameProfile page;
    page.InitPage();
    auto* list = page.findChild<QWidget*>("PlProfile");
    EXPECT_EQ(list->findChild<QLabel*>("LbNetType")->text().toStdString(), "Kind:");
    EXPECT_EQ(list->findChild<QTreeWidget*>("LvProf")->headerItem()->text(1).toStdString(), "Name");
    auto* confirm = page.Editor()->Page(esConfirm);
    EXPECT_EQ(confirm->findChild<QLabel*>("LbNetType")->text().toStdString(), "Type of network");
    EXPECT_EQ(page.Editor()->Page(esNetType)->findChild<QLabel*>("LbNetType")->text().toStdString(),
              "Network Type");
}
