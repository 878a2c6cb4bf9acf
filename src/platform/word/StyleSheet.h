#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace tarovent::word {

// What the engine needs from styles.xml: whether a style chain hides text.
class StyleSheet {
 public:
  StyleSheet() = default;
  explicit StyleSheet(const QByteArray& stylesXml);

  // Whether text is hidden by its character style, else its paragraph style (or the default
  // paragraph style), else the document defaults. Empty ids mean "none".
  bool hidden(const QString& paragraphStyle, const QString& characterStyle) const;
  // Whether any style or the defaults hide text at all.
  bool hidesText() const { return m_hidesText; }

 private:
  struct Style {
    QString basedOn;
    std::optional<bool> vanish;
  };
  std::optional<bool> chainVanish(QString id) const;

  QHash<QString, Style> m_styles;
  QString m_defaultParagraphStyle;
  bool m_defaultVanish = false;
  bool m_hidesText = false;
};

}  // namespace tarovent::word
