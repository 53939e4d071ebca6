# Sourced by tools/demo and tools/screenshot: a sample album of untagged MP3
# files with names that say nothing, a CDDB folder that knows the album, the
# local CDDB server on a free port and a settings file pointing at it.
#
# Before sourcing: root (the source tree) and bin (the built programs:
# $CORVANE_BIN_DIR, else build/bin).
# Afterwards: demo_work (a fresh folder, removed on exit unless demo_keep=1),
# demo_album, demo_artist, demo_title, demo_port once the steps have run;
# demo_search_album, demo_search_artist, demo_search_title after
# demo_make_search_album; demo_sound_album, demo_sound_artist,
# demo_sound_title after demo_make_sound_album.

demo_artist="The Corvane Ensemble"
demo_title="Offline Demo"
demo_keep=${demo_keep:-0}
demo_server_pid=
demo_work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-demo.XXXXXX")
demo_album="$demo_work/music/new rips"
demo_search_album="$demo_work/music/old rip"
demo_search_artist="Lumen Quartet"
demo_search_title="Harbour Nights"
# Not the id the files give: the disc id finds nothing, the keyword search
# finds the record through the files' tags.
demo_search_id=14001003
demo_sound_album="$demo_work/music/downloads"
demo_sound_artist="Northern Lines"
demo_sound_title="Heard, Not Seen"
demo_sound_release=5a0e1d2c-0000-4000-8000-000000000003

demo_cleanup() {
    if [[ -n $demo_server_pid ]]; then
        kill "$demo_server_pid" 2> /dev/null || true
        wait "$demo_server_pid" 2> /dev/null || true
    fi
    if [[ $demo_keep == 1 ]]; then
        echo "demo: the demo folder stays in $demo_work"
    else
        rm -rf "$demo_work"
    fi
}
trap demo_cleanup EXIT

# demo_build TARGET...: installs what is missing and brings the targets up
# to date in build/ (quietly; the output is shown when the build fails).
# With $CORVANE_BIN_DIR set, the programs there are used as they are.
demo_build() {
    [[ -n ${CORVANE_BIN_DIR:-} ]] && return 0
    "$root/tools/install-deps.sh"
    echo "demo: building $*..."
    if ! (cd "$root" && { [[ -d build ]] || cmake --preset default; } &&
        cmake --build build -j2 --target "$@") > "$demo_work/build.log" 2>&1; then
        cat "$demo_work/build.log" >&2
        exit 1
    fi
}

demo_require() {
    local tool
    for tool in lame python3; do
        if ! command -v "$tool" > /dev/null; then
            echo "demo: $tool is needed (tools/install-deps.sh installs it)" >&2
            exit 1
        fi
    done
}

# Four short tracks; sorted by name they are the album's tracks in order.
# Exact sample counts give exact play times.
demo_make_album() {
    demo_require
    mkdir -p "$demo_album" "$demo_work/cddb/misc"
    echo "demo: encoding a sample album with lame..."
    python3 - "$demo_work" << 'EOF'
import math, struct, sys, wave

notes = {"c": 261.63, "d": 293.66, "e": 329.63, "g": 392.00, "a": 440.00, "C": 523.25}
tracks = [("cegC", 6.4), ("aedc", 4.8), ("gCae", 7.2), ("Cgec", 5.6)]
for number, (melody, seconds) in enumerate(tracks):
    rate, frames = 44100, int(44100 * seconds)
    note_length = frames // len(melody)
    data = bytearray()
    for i in range(frames):
        freq = notes[melody[min(i // note_length, len(melody) - 1)]]
        fade = min(1.0, (note_length - i % note_length) / 2000.0)
        value = int(9000 * fade * math.sin(2 * math.pi * freq * i / rate))
        data += struct.pack("<hh", value, value)
    with wave.open(f"{sys.argv[1]}/track{number}.wav", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(data))
EOF
    local names=("Audio Track (2).mp3" "b_side.mp3" "rip_0413.MP3" "track.mp3") i
    for i in "${!names[@]}"; do
        lame --quiet -b 128 "$demo_work/track$i.wav" "$demo_album/${names[$i]}"
        rm "$demo_work/track$i.wav"
    done
    # A cover and a text that belong with the album: the processing moves
    # them into the album directory too.
    echo "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAA0JCgsKCA0LCgsODg0PEyAVExISEyccHhcgLikxMC4pLSwzOko+MzZGNywtQFdBRkxOUlNSMj5aYVpQYEpRUk//2wBDAQ4ODhMREyYVFSZPNS01T09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT0//wAARCAAIAAgDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAH/xAAWEAEBAQAAAAAAAAAAAAAAAAAAFWL/xAAVAQEBAAAAAAAAAAAAAAAAAAAEBf/EABcRAAMBAAAAAAAAAAAAAAAAAAADFFH/2gAMAwEAAhEDEQA/AJEwAl3v0VOvD//Z" | base64 -d > "$demo_album/cover.jpg"
    printf 'Ripped for the Corvane MP3 demo.\n' > "$demo_album/info.txt"

    # The album's record, under the disc id that Corvane MP3 computes for it.
    "$bin/corvane-cli" scan --json "$demo_album" > "$demo_work/scan.json"
    python3 - "$demo_work" "$demo_artist" "$demo_title" << 'EOF'
import json, sys

work, artist, title = sys.argv[1:4]
scan = json.load(open(f"{work}/scan.json"))
offsets = scan["offsets"]
frames = [(m * 60 + s) * 75 + f for m, s, f in offsets[:-1]]
length = offsets[-1][0] * 60 + offsets[-1][1]
titles = ["Morning Tone", "Café Drift", "Why Not?", "Last Light"]
lines = ["# xmcd", "#", "# Track frame offsets:"]
lines += [f"#\t{frame}" for frame in frames]
lines += ["#", f"# Disc length: {length} seconds", "#", "# Revision: 0",
          "# Submitted via: corvane-demo 1.0", "#",
          f"DISCID={scan['discId']}", f"DTITLE={artist} / {title}",
          "DYEAR=2024", "DGENRE=Ambient"]
lines += [f"TTITLE{i}={t}" for i, t in enumerate(titles)]
lines += ["EXTD=Made by tools/demo"] + [f"EXTT{i}=" for i in range(len(titles))]
lines += ["PLAYORDER="]
with open(f"{work}/cddb/misc/{scan['discId']}", "w", encoding="utf-8") as out:
    out.write("\n".join(lines) + "\n")
print(f"demo: disc id {scan['discId']}, {len(frames)} tracks, {length} seconds")
EOF
}

# An old rip tagged by another program: its three files are named in another
# order than the album's and its record is filed under a disc id the files
# do not give, so only the keyword search finds it and the pairing goes by
# the title tags.
demo_make_search_album() {
    demo_require
    mkdir -p "$demo_search_album" "$demo_work/cddb/jazz"
    python3 - "$demo_work" << 'EOF'
import math, struct, sys, wave

for number, (freq, seconds) in enumerate([(220.0, 5.2), (277.18, 6.8), (329.63, 4.4)]):
    rate, frames = 44100, int(44100 * seconds)
    data = bytearray()
    for i in range(frames):
        value = int(8000 * math.sin(2 * math.pi * freq * i / rate))
        data += struct.pack("<hh", value, value)
    with wave.open(f"{sys.argv[1]}/old{number}.wav", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(data))
EOF
    # name : the album track whose audio it holds : its title tag
    local files=("harbour_a.mp3:2:Low Tide" "harbour_b.mp3:0:Lanterns" "harbour_c.mp3:1:Fog Bell")
    local entry name source title
    for entry in "${files[@]}"; do
        IFS=: read -r name source title <<< "$entry"
        lame --quiet -b 128 --ta "$demo_search_artist" --tl "$demo_search_title" --tt "$title" \
            "$demo_work/old$source.wav" "$demo_search_album/$name"
    done
    rm "$demo_work"/old?.wav

    "$bin/corvane-cli" scan --json "$demo_search_album" > "$demo_work/old-scan.json"
    python3 - "$demo_work" "$demo_search_artist" "$demo_search_title" "$demo_search_id" << 'EOF'
import json, sys

work, artist, title, disc_id = sys.argv[1:5]
files = json.load(open(f"{work}/old-scan.json"))["files"]
titles = ["Lanterns", "Fog Bell", "Low Tide"]
seconds = [next(f["playTime"] for f in files if f["title"] == t) for t in titles]
frames, at = [], 150
for length in seconds:
    frames.append(at)
    at += round(length * 75)
lines = ["# xmcd", "#", "# Track frame offsets:"] + [f"#\t{f}" for f in frames]
lines += ["#", f"# Disc length: {at // 75} seconds", "#", "# Revision: 0",
          "# Submitted via: corvane-demo 1.0", "#", f"DISCID={disc_id}",
          f"DTITLE={artist} / {title}", "DYEAR=1998", "DGENRE=Jazz"]
lines += [f"TTITLE{i}={t}" for i, t in enumerate(titles)]
lines += ["EXTD="] + [f"EXTT{i}=" for i in range(len(titles))] + ["PLAYORDER="]
with open(f"{work}/cddb/jazz/{disc_id}", "w", encoding="utf-8") as out:
    out.write("\n".join(lines) + "\n")
print(f"demo: a second album, {artist} / {title}, filed under disc id {disc_id}")
EOF
}

# A download: four untagged files named track01.mp3... in another order
# than the album's, re-encoded at 96 kbit/s. Neither the disc id nor the
# table of contents is known anywhere; the stand-in's AcoustID knows the
# sound of the album's own 192 kbit/s files, so only the identification by
# sound finds the album, and it gives each file the title of its own audio.
demo_make_sound_album() {
    demo_require
    local reference="$demo_work/reference"
    mkdir -p "$demo_sound_album" "$reference" "$demo_work/cddb/acoustid" \
        "$demo_work/cddb/musicbrainz/release"
    echo "demo: encoding a third album, known only by its sound..."
    python3 - "$demo_work" << 'EOF'
import math, random, struct, sys, wave

# Melodies over a soft lower voice, each note 0.6 s: a fingerprint hears the
# notes, so four melodies give four recordings.
scale = [261.63, 293.66, 329.63, 349.23, 392.00, 440.00, 493.88, 523.25]
melodies = ["0246427531", "7531357024", "0415263741", "6420135764"]
lengths = [14.4, 17.4, 12.6, 15.6]
for number, (melody, seconds) in enumerate(zip(melodies, lengths)):
    rate, frames = 44100, int(44100 * seconds)
    note = int(0.6 * rate)
    noise = random.Random(number)
    data = bytearray()
    for i in range(frames):
        step = (i // note) % len(melody)
        freq = scale[int(melody[step])]
        fade = min(1.0, (note - i % note) / 3000.0, (i % note + 1) / 300.0)
        value = 7000 * fade * math.sin(2 * math.pi * freq * i / rate)
        value += 2000 * math.sin(2 * math.pi * scale[(step + 2) % 8] / 2 * i / rate)
        value += noise.uniform(-300, 300)
        data += struct.pack("<hh", int(value), int(value))
    with wave.open(f"{sys.argv[1]}/sound{number}.wav", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(data))
EOF
    # name : the album track whose audio it holds
    local files=("track01.mp3:2" "track02.mp3:0" "track03.mp3:3" "track04.mp3:1")
    local entry name source i
    for i in 0 1 2 3; do
        lame --quiet -b 192 "$demo_work/sound$i.wav" "$reference/$i.mp3"
    done
    for entry in "${files[@]}"; do
        IFS=: read -r name source <<< "$entry"
        lame --quiet -b 96 "$demo_work/sound$source.wav" "$demo_sound_album/$name"
    done
    rm "$demo_work"/sound?.wav

    "$bin/corvane-cli" fingerprint --json "$reference" > "$demo_work/reference.json"
    rm -r "$reference"
    python3 "$root/tools/demo-sound-records.py" "$demo_work" "$demo_sound_artist" \
        "$demo_sound_title" "$demo_sound_release"
}

# The local CDDB server on a free port; it prints the port it took.
demo_start_server() {
    "$bin/corvane-cddbd" --port 0 "$demo_work/cddb" > "$demo_work/cddbd.out" \
        2> "$demo_work/cddbd.err" &
    demo_server_pid=$!
    demo_port=
    local _
    for _ in $(seq 100); do
        demo_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo_work/cddbd.out")
        [[ -n $demo_port ]] && break
        kill -0 "$demo_server_pid" 2> /dev/null || break
        sleep 0.1
    done
    if [[ -z $demo_port ]]; then
        echo "demo: the CDDB server did not start:" >&2
        cat "$demo_work/cddbd.err" >&2
        exit 1
    fi
    echo "demo: CDDB server on 127.0.0.1:$demo_port"
}

# The settings file is read from the current directory: this one, in the
# demo folder, opens the album folder and asks the local server. Extra
# "key=value" lines for [General] may follow as arguments.
demo_write_settings() {
    quoted() {
        local text=${1//\\/\\\\}
        printf '"%s"' "${text//\"/\\\"}"
    }
    {
        echo "[General]"
        echo "configured=1"
        echo "lastFolder=$(quoted "$demo_album")"
        printf '%s\n' "$@"
        echo
        echo "[Cddb]"
        echo "server=$(quoted "127.0.0.1:$demo_port")"
        if [[ -n ${demo_search_host:-} ]]; then
            echo "searchHost=$(quoted "$demo_search_host")"
        fi
        echo
        echo "[MusicBrainz]"
        echo "server=$(quoted "http://127.0.0.1:$demo_port")"
        echo
        # The stand-in takes any key; the real service wants one registered.
        echo "[AcoustID]"
        echo "key=demo"
        echo "server=$(quoted "http://127.0.0.1:$demo_port")"
    } > "$demo_work/Corvane Mp3.ini"
}
