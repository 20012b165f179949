#include "audio/SinkSurvey.h"

#include "audio/PulseSink.h"

#include <pulse/pulseaudio.h>

#include <chrono>

namespace plinkum {

namespace {

struct Pending {
    SinkSurvey survey;
    int answersDue = 2; // server info and the sink list
};

void serverInfo(pa_context *, const pa_server_info *info, void *userdata)
{
    auto *pending = static_cast<Pending *>(userdata);
    if (info) {
        pending->survey.server = std::string(info->server_name ? info->server_name : "") + " "
            + (info->server_version ? info->server_version : "");
        pending->survey.defaultSink = info->default_sink_name ? info->default_sink_name : "";
    }
    --pending->answersDue;
}

void sinkInfo(pa_context *, const pa_sink_info *info, int eol, void *userdata)
{
    auto *pending = static_cast<Pending *>(userdata);
    if (eol) {
        --pending->answersDue;
        return;
    }
    if (!info)
        return;
    pending->survey.sinks.push_back(pulseSink(*info));
}

} // namespace

std::optional<SinkSurvey> SinkSurvey::take(int timeoutMs)
{
    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "Plinkum diagnostics");
    Pending pending;
    bool asked = false;
    bool failed = pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!failed && pending.answersDue > 0 && std::chrono::steady_clock::now() < deadline) {
        const pa_context_state_t state = pa_context_get_state(context);
        if (!PA_CONTEXT_IS_GOOD(state)) {
            failed = true;
            break;
        }
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            pa_operation_unref(pa_context_get_server_info(context, serverInfo, &pending));
            pa_operation_unref(pa_context_get_sink_info_list(context, sinkInfo, &pending));
        }
        // Wait at most 50 ms per round so the deadline is kept.
        if (pa_mainloop_prepare(loop, 50000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
            failed = true;
    }
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    if (failed || pending.answersDue > 0)
        return std::nullopt;
    return std::move(pending.survey);
}

} // namespace plinkum
