#!/usr/bin/env bash
# Installs a desktop entry and the program's icon for the current user, so that Corvane starts
# from the desktop's menu on its data directory. Builds Corvane in Release first (as
# tools/run.sh does) and prepares the data directory when it does not exist yet. The entry
# starts build-release/app/corvane here: run it again after moving the sources.
# Usage: tools/install-desktop.sh [DATA_DIR]   (default: run-data beside the sources)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$(realpath -m "${1:-"$root/run-data"}")
bash "$root/tools/prepare-release.sh" "$data" corvane program-icon supplied_data
program="$root/build-release/app/corvane"

share=${XDG_DATA_HOME:-"$HOME/.local/share"}
apps="$share/applications"
icons="$share/icons/hicolor/256x256/apps"
mkdir -p "$apps" "$icons"
QT_QPA_PLATFORM=offscreen "$root/build-release/tools/program-icon" "$icons/corvane.png"

# An argument of the Exec key: in double quotes, with ", `, $ and \ escaped, and % doubled.
quoted() {
    local text=${1//\\/\\\\}
    text=${text//\"/\\\"}
    text=${text//\`/\\\`}
    text=${text//\$/\\\$}
    text=${text//%/%%}
    printf '"%s"' "$text"
}

entry="$apps/corvane.desktop"
cat >"$entry.new" <<END
[Desktop Entry]
Type=Application
Name=Corvane
GenericName=Invoicing and Accounts
Comment=Customers, invoices, statements and reports for a business that sells on account
Exec=$(quoted "$program") $(quoted "$data")
Path=$data
Icon=corvane
Terminal=false
Categories=Office;Finance;
END
mv "$entry.new" "$entry"
if command -v update-desktop-database >/dev/null; then update-desktop-database "$apps" || true; fi
echo "Installed $entry (data directory $data) and $icons/corvane.png"
