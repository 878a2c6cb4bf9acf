#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <memory>

#include "UiTestSupport.h"
#include "ui/FormNavigation.h"
#include "ui/MessageBox.h"
#include "ui/MessageFunnel.h"
#include "ui/QtFrench.h"

namespace tarovent::ui {
namespace {

QStringList captions(QMessageBox& box) {
  QStringList out;
  for (QAbstractButton* b : box.buttons()) out << b->text();
  out.sort();
  return out;
}

// Regression: the boxes showed Qt's English "Yes", "No", "Cancel" and always defaulted to the
// first button's role; then their buttons had no access keys.
TEST(MessageBox, ButtonsAreFrenchAndEnterTakesTheAskedDefault) {
  const struct {
    Buttons buttons;
    int defaultButton;
    QStringList captions;
    QString defaultCaption;
  } cases[] = {
      {Buttons::Ok, 1, {"OK"}, "OK"},
      {Buttons::OkCancel, 2, {"Annuler", "OK"}, "Annuler"},
      {Buttons::YesNo, 2, {"&Non", "&Oui"}, "&Non"},
      {Buttons::YesNoCancel, 3, {"&Non", "&Oui", "Annuler"}, "Annuler"},
      {Buttons::AbortRetryIgnore, 3, {"&Ignorer", "&Réessayer", "A&bandonner"}, "&Ignorer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defaultCaption.toStdString());
    std::unique_ptr<QMessageBox> box(messageBox("Tarovent",
                                                "Voulez-vous enregistrer votre saisie ?", c.buttons,
                                                c.defaultButton, Icon::Question, nullptr));
    EXPECT_EQ(captions(*box), c.captions);
    EXPECT_EQ(box->defaultButton() ? box->defaultButton()->text() : "", c.defaultCaption);
  }
  // Escape answers "No" to a yes/no question.
  std::unique_ptr<QMessageBox> box(messageBox("Tarovent", "Confirmer la suppression",
                                              Buttons::YesNo, 2, Icon::Question, nullptr));
  EXPECT_EQ(box->escapeButton() ? box->escapeButton()->text() : "", "&Non");
}

TEST(QtFrench, StandardDialogsSpeakFrenchAndAMissingFileIsNoFailure) {
  QTemporaryDir empty;
  EXPECT_EQ(installQtFrench(*qApp, empty.path()), nullptr);
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");

  QTranslator* french = installQtFrench(*qApp);
  ASSERT_NE(french, nullptr) << "qtbase_fr.qm is missing: install qt6-translations-l10n";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
  QCoreApplication::removeTranslator(french);
  delete french;
}

}  // namespace
}  // namespace tarovent::ui
