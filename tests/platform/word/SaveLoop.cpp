// Saves a document over and over, each time with a new number in bookmark RS, until killed.

#include <QString>

#include "platform/word/WordDocument.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const QString path = QString::fromLocal8Bit(argv[1]);
  for (long n = 1;; ++n) {
    tarovent::word::WordDocument doc = tarovent::word::WordDocument::open(path);
    doc.setBookmarkText("RS", QString::number(n).repeated(2000));
    doc.save();
  }
}
