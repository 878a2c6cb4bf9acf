#pragma once

#include <QString>
#include <functional>

namespace tarovent::ooxml {

// Replaces a file so that a crash leaves either the old or the new content, never a mix:
// the writer fills a temporary file of the same folder, which is flushed to disk (fsync),
// renamed over the target, and the folder itself is flushed. Throws OoxmlError.
void replaceFileDurably(const QString& target,
                        const std::function<void(const QString& tempPath)>& writer);

}  // namespace tarovent::ooxml
