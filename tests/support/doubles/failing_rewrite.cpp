#include "support/doubles/failing_rewrite.h"

#include "platform/errors.h"
#include "platform/textfile.h"

namespace platform::testing {

namespace {

void failOnce(const QString& path)
{
    setRewriteHook(nullptr);
    throw IOException(QStringLiteral("cannot write %1: simulated failure").arg(path));
}

} // namespace

void failNextRewrite()
{
    setRewriteHook(&failOnce);
}

} // namespace platform::testing
