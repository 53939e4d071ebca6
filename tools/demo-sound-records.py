#!/usr/bin/env python3
"""The stand-in's records of the demo's third album: one AcoustID answer per
track (acoustid/trackN.json, with the fingerprint of the album's own files)
and the MusicBrainz release (musicbrainz/release/MBID.json).

usage: demo-sound-records.py WORK ARTIST TITLE RELEASE_ID
WORK/reference.json holds "corvane-cli fingerprint --json" of the album's
files in track order; the records go under WORK/cddb.
"""
import json
import sys

work, artist, title, release = sys.argv[1:5]
prints = json.load(open(f"{work}/reference.json"))
titles = ["Northbound", "Glass Harbour", "Quiet Signal", "Lines in Snow"]
group = "5a0e1d2c-0000-4000-8000-0000000000a3"
artist_id = "5a0e1d2c-0000-4000-8000-0000000000b3"
credit = [{"name": artist, "joinphrase": "", "artist": {"id": artist_id, "name": artist}}]
tracks = []
for number, (entry, name) in enumerate(zip(prints, titles)):
    recording = f"5a0e1d2c-0000-4000-8000-00000000010{number}"
    medium = {"position": 1, "format": "Digital Media", "track_count": len(titles),
              "tracks": [{"position": number + 1}]}
    answer = {
        "id": f"acoustid-demo-{number + 1}",
        "fingerprint": entry["fingerprint"],
        "duration": entry["duration"],
        "recordings": [{
            "id": recording, "title": name, "duration": entry["duration"],
            "artists": [{"id": artist_id, "name": artist}],
            "releasegroups": [{
                "id": group, "type": "Album", "title": title,
                "releases": [{
                    "id": release, "track_count": len(titles), "medium_count": 1,
                    "date": {"year": 2025, "month": 3, "day": 14}, "country": "XW",
                    "mediums": [medium],
                }],
            }],
        }],
    }
    with open(f"{work}/cddb/acoustid/track{number + 1}.json", "w") as out:
        json.dump(answer, out, indent=1)
    length = entry["duration"] * 1000
    tracks.append({"position": number + 1, "number": str(number + 1), "title": name,
                   "length": length, "artist-credit": credit,
                   "recording": {"id": recording, "title": name, "length": length,
                                 "artist-credit": credit}})
release_record = {
    "id": release, "title": title, "date": "2025-03-14", "country": "XW",
    "artist-credit": credit, "label-info": [],
    "media": [{"position": 1, "format": "Digital Media", "discs": [], "tracks": tracks}],
}
with open(f"{work}/cddb/musicbrainz/release/{release}.json", "w") as out:
    json.dump(release_record, out, indent=1)
print(f"demo: a third album, {artist} / {title}, known only by its sound")
