#pragma once

#include "convert/core/conversion.h"

#include <QTest>
#include <optional>

namespace quillorn::test {

// One press of Convert, waited for: the dialog's outcome.
inline convert::RunOutcome convertAndWait(const convert::ConvertSettings& settings,
                                          const options::Options& options,
                                          const convert::ConversionContext& context) {
    convert::Conversion conversion(settings, options, context);
    std::optional<convert::RunOutcome> outcome;
    QObject::connect(&conversion, &convert::Conversion::finished,
                     [&outcome](convert::RunOutcome ended) { outcome = ended; });
    conversion.start();
    (void)QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 300000);
    return outcome.value_or(convert::RunOutcome::KeepOpen);
}

} // namespace quillorn::test
