# Shared by ./run and ./test: install what the build needs, then configure and build.
# Debian packages the build and the tests need (Qt Widgets and Print Support come with qt6-base-dev;
# the platform plugins and a font let the windows show; Qt's own Russian texts for the standard dialogs).
TERVALA_PACKAGES=(cmake ninja-build g++ pkg-config ccache qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev libsqlite3-dev sqlite3 fonts-dejavu-core zip unzip)

ensure_packages() {
    local missing=()
    for p in "${TERVALA_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Не хватает пакетов: ${missing[*]}" >&2
        echo "Установите их: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Устанавливаются пакеты: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y --no-install-recommends "${missing[@]}" ||
        { apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"; }
}

# build_tree DIR [cmake options…]: configure once, then build with two jobs.
build_tree() {
    local dir="$1"
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" -j2
}
