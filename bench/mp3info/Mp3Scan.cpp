// Prints what the scanner finds in each file given on the command line:
// a tool for looking at real files by hand.
#include <cstdio>

#include "Mp3Info.h"

int main(int argc, char** argv) {
    corvane::Mp3InfoObject* object = corvane::CreateMp3Info();
    auto* info = static_cast<corvane::Mp3Info*>(object);
    for (int i = 1; i < argc; ++i) {
        const int rc = info->Open(argv[i]);
        if (rc != 0) {
            std::printf("%s: cannot open (%d)\n", argv[i], rc);
            continue;
        }
        const auto& s = info->Stream();
        std::printf(
            "%s: %s, %d kbit/s, %lld samples%s, %.6f s, frames %llu%s%s, first frame at %llu, "
            "audio %llu..%llu, skipped %llu%s\n",
            argv[i], info->GetFileType().c_str(), info->GetBitrate(),
            static_cast<long long>(info->Length().samples), info->Length().exact ? " (exact)" : "",
            info->GetPlayTime(), static_cast<unsigned long long>(s.audioFrames),
            s.hasInfoFrame ? ", info frame" : "", s.walked ? ", walked" : "",
            static_cast<unsigned long long>(s.firstFrameOffset),
            static_cast<unsigned long long>(s.range.start),
            static_cast<unsigned long long>(s.range.end),
            static_cast<unsigned long long>(s.skippedBytes), s.truncated ? ", truncated" : "");
        if (s.hasInfoFrame) {
            std::printf("  info: frames %u bytes %u delay %d padding %d method %d encoder %s\n",
                        s.info.frames, s.info.bytes, s.info.encoderDelay, s.info.endPadding,
                        s.info.vbrMethod, s.info.encoder.c_str());
        }
        if (info->HasTag()) {
            std::printf("  tag: title '%s' artist '%s' album '%s' year %d track %d genre '%s'\n",
                        info->GetTitle().c_str(), info->GetArtist().c_str(),
                        info->GetAlbum().c_str(), info->GetYear(), info->GetTrack(),
                        info->GetGenre().c_str());
        }
    }
    object->Release();
    return 0;
}
