#!/usr/bin/env bash
# Lays out the shipped folder of one build and packs it as a zip:
#   scripts/dist.sh BIN_DIR OUT_ZIP
# BIN_DIR is a build's program folder (build/<arch>/bin); the zip holds one
# folder "Tavro/" with exactly the shipped files, laid out beside the zip as
# well (OUT_ZIP without ".zip", then Tavro/).
#
# One top folder, because Tavro keeps its registrations as subfolders of its
# own folder and lists every subfolder there: unpacked with "extract here" into
# the desktop or Downloads, loose files would turn every folder around them into
# a bogus entry. With "Tavro/" the user always gets a folder of Tavro's own.
#
# The archive is reproducible: fixed member order, every timestamp set to the
# source's commit time (or SOURCE_DATE_EPOCH), Windows attributes only. Its
# SHA-256 goes beside it as OUT_ZIP.sha256 ("hash  name", as sha256sum writes
# it), for users to compare with what they downloaded.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ $# -ne 2 ]; then
    echo "usage: $0 BIN_DIR OUT_ZIP" >&2
    exit 2
fi
bin=$1
zip_path=$2
# The folder laid out beside the zip is OUT_ZIP without ".zip", removed first:
# any other name would name a folder of the user's to remove.
case "$(basename -- "$zip_path")" in
    ?*.zip) ;;
    *)
        echo "dist: OUT_ZIP must be a file name ending in .zip, not $zip_path: no package made" >&2
        exit 2
        ;;
esac

# What a user gets, in this order; nothing else from the build folder (tests,
# logs, TavroCre.Exe) goes into the package.
SHIPPED=(Tavro.exe TavroCore.Exe TavroHelp.Html)

missing=()
for f in "${SHIPPED[@]}"; do
    [ -f "$bin/$f" ] || missing+=("$f")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "dist: $bin lacks ${missing[*]}: no package made" >&2
    exit 1
fi

stage="${zip_path%.zip}"
rm -rf "$stage"
mkdir -p "$stage/Tavro"
for f in "${SHIPPED[@]}"; do
    cp "$bin/$f" "$stage/Tavro/$f"
done

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-1767225600}   # 2026-01-01, for a tree without history

python3 - "$stage" "$zip_path" "$epoch" "${SHIPPED[@]}" <<'EOF'
import os, sys, time, zipfile

stage, zip_path, epoch, names = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
stamp = time.gmtime(max(epoch, 315532800))[:6]    # a zip cannot date before 1980
FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_ARCHIVE = 0x10, 0x20


def entry(name, attributes):
    info = zipfile.ZipInfo(name, stamp)
    info.create_system = 0          # made on "MS-DOS": Windows reads the attributes below
    info.external_attr = attributes
    return info


tmp = zip_path + ".tmp"
with zipfile.ZipFile(tmp, "w") as z:
    z.writestr(entry("Tavro/", FILE_ATTRIBUTE_DIRECTORY), b"")
    for name in names:
        with open(os.path.join(stage, "Tavro", name), "rb") as f:
            data = f.read()
        info = entry("Tavro/" + name, FILE_ATTRIBUTE_ARCHIVE)
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compresslevel=9)
os.replace(tmp, zip_path)
EOF
(cd "$(dirname "$zip_path")" && sha256sum "$(basename "$zip_path")" >"$(basename "$zip_path").sha256")

echo "dist: $zip_path ($(stat -c %s "$zip_path") bytes): $(cd "$stage" && echo Tavro/*)"
