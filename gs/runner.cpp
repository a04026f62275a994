#include "gs/runner.h"

#include "base/message_log.h"

namespace quillorn::gs {

RunResult InProcessRunner::run(const QStringList& args, MessageSink& sink) {
    OutputDecoder decoder;
    const int code = binding_.run(
        args, [&](Stream, QByteArrayView bytes) { sink.addMessage(decoder.decode(bytes)); });
    return {RunResult::End::Finished, code, 0};
}

} // namespace quillorn::gs
