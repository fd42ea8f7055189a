#include "game/layout.h"
#include "platform/qt/translations.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace {

QAccessibleInterface* accessibleOf(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

QString accessibleName(QWidget* widget)
{
    return accessibleOf(widget)->text(QAccessible::Name);
}

} // namespace

TEST_F(WindowTest, EveryMeaningfulControlHasAnItalianAccessibleName)
{
    start();
    for (const AccessibleText& text : accessibleTable) {
        if (text.name.empty()) continue;
        SCOPED_TRACE(layoutOf(text.id).name);
        QAccessibleInterface* accessible = accessibleOf(window.control(text.id));
        ASSERT_NE(accessible, nullptr);
        EXPECT_TRUE(accessible->text(QAccessible::Name).startsWith(QString::fromUtf8(text.name)));
        if (!text.description.empty()) {
            EXPECT_EQ(accessible->text(QAccessible::Description),
                      QString::fromUtf8(text.description));
        }
    }
}

TEST_F(WindowTest, AScreenReaderCanReadTheQuestionAndTheResult)
{
    start("Anna");
    EXPECT_EQ(accessibleOf(window.control(Control::lblNum1))->role(), QAccessible::StaticText);
    EXPECT_EQ(accessibleName(window.control(Control::lblNum1)),
              "Primo fattore: " + QString::fromStdString(window.caption(Control::lblNum1)));
    EXPECT_EQ(accessibleName(window.control(Control::Label2)), "per: X");
    EXPECT_EQ(accessibleName(window.control(Control::lblNum2)),
              "Secondo fattore: " + QString::fromStdString(window.caption(Control::lblNum2)));

    const auto product = std::to_string(tavola.state().expectedAnswer.value());
    QTest::keyClicks(window.control(Control::txtAnswer), QString::fromStdString(product));
    QTest::keyClick(window.control(Control::txtAnswer), Qt::Key_Return);
    EXPECT_EQ(accessibleName(window.control(Control::lblMessage)),
              "Messaggio: Esatto! Anna sei forte!");
    EXPECT_EQ(accessibleName(window.control(Control::lblScore)), "Risposte esatte: 1");
    EXPECT_EQ(accessibleName(window.control(Control::Label6)), "Risposte esatte");
    EXPECT_EQ(accessibleName(window.control(Control::lblconto)), "Tempo restante: 00:15:00");
    EXPECT_EQ(accessibleOf(window.control(Control::cmdNext))->role(), QAccessible::Button);
    EXPECT_EQ(accessibleName(window.control(Control::cmdExit)), "Esci");
}

TEST(QtTranslations, DialogButtonsSpeakItalianOnAnItalianDesktop)
{
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Italian)));
    QMessageBox box(QMessageBox::Question, "t", "p", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Sì"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "No");
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
}
