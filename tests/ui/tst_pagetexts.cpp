// Every page takes its captions from its own section of the language file, whatever its object is called.
#include "controls/Sortlv.h"
#include "guitest.h"
#include "testutil.h"
#include "ui/Uformres.h"
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

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

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

// An editor page, on a record of its own.
template <class T> std::function<TPropertyPageFrame*()> MakeEditorPage()
{
    return [] {
        static WLProfile profile{};
        return new T(profile);
    };
}

const PageCase PAGES[] = {
    {"FrameLinkInfo", "LbStatus", Make<TFrameLinkInfo>()},
    {"FrameSurvey", "LbNetList", Make<TFrameSurvey>()},
    {"FrameProfile", "LbList", Make<TFrameProfile>()},
    {"FrameAdapter", "LbSetting", Make<TFrameAdapter>()},
    {"FrameNetType", "LbName", MakeEditorPage<TFrameNetType>()},
    {"FrameWlMode", "LbMode", MakeEditorPage<TFrameWlMode>()},
    {"FrameConfirm", "LbSSID", MakeEditorPage<TFrameConfirm>()},
    {"FrameActive", "LbMsg", Make<TFrameActive>()},
    {"FrameWireless", "LbWlModeSet", MakeEditorPage<TFrameWireless>()},
    {"FrameAPInfo", "LbStatus", Make<TFrameAPInfo>()},
    {"FrameAPCfg", "LbWireless", Make<TFrameAPCfg>()},
    {"FrameAPFilter", "LbFilter", Make<TFrameAPFilter>()},
    {"FrameSecurity", "LbSecurity", MakeEditorPage<TFrameSecurity>()},
    {"FrameWPAPSK", "LbPhrase", MakeEditorPage<TFrameWPAPSK>()},
    {"FrameWEP", "LbDefKey", MakeEditorPage<TFrameWEP>()},
    {"FrameDot11", "LbUser", MakeEditorPage<TFrameDot11>()},
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

TEST(PageTextsTest, TheEditorsScanListShowsItsCaptionsAndValuesWholeInEachLanguage)
{
    TFormRes res;
    FormRes = &res;
    for (const char* file : {"wlanutil.ini", "wlanutil.de.ini"}) {
        const QByteArray language = testutil::ReadFile(testutil::BinDir() + '/' + QLatin1String(file));
        ASSERT_FALSE(language.isEmpty()) << file;
        ScopedConfig config(QStringLiteral("[Setting]\n"), QString::fromUtf8(language));
        WLProfile profile{};
        TFrameNetType page(profile);
        page.InitPage();
        auto* list = page.findChild<TSortLv*>("LvSite");
        const QFontMetrics metrics(list->font());
        int used = 0;
        for (int column = 0; column < list->columnCount(); ++column)
            used += list->columnWidth(column);
        // Nothing scrolls sideways while the scroll bar for many networks is shown.
        EXPECT_LE(used, list->width() - 2 * list->frameWidth() -
                            list->style()->pixelMetric(QStyle::PM_ScrollBarExtent))
            << file;
        // Signal and channel, each with the sort arrow on it, and their widest values.
        for (const auto& [column, value] : {std::pair{2, "100%"}, std::pair{3, "165"}}) {
            list->SetSortColunm(column);
            const QString caption = list->headerItem()->text(column);
            const QRect section(0, 0, list->columnWidth(column), list->header()->sizeHint().height());
            const THeaderLayout layout = list->HeaderItemLayout(
                section, column, QSize(metrics.horizontalAdvance(caption), metrics.height()));
            EXPECT_GE(layout.Caption.width(), metrics.horizontalAdvance(caption)) << file << " " << column;
            EXPECT_GT(list->columnWidth(column), metrics.horizontalAdvance(QLatin1String(value))) << file;
        }
        EXPECT_GT(list->columnWidth(1), metrics.horizontalAdvance(QStringLiteral("Harbor"))) << file;
        page.DonePage();
    }
    FormRes = nullptr;
}
