# Shared by the screenshot scripts (sourced, not run): a private Xvfb display, Tarmel started on
# it with silent sound and its own settings folder, and waiting for a window to appear.
#   needs TOOL...            exits with a message when one is missing
#   start_screen WxH         starts Xvfb; everything started is ended, and the folder $work
#                            removed, when the script exits
#   start_tarmel TARMEL ARG...   starts Tarmel on it as $app
#   window_named REGEX WHAT  prints the id of the shown window whose title matches, waiting up to
#                            10 s; exits with "WHAT did not appear" when none came

needs() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null ||
            { echo "$tool is missing (apt-get install xvfb xdotool sox imagemagick)" >&2; exit 1; }
    done
}

start_screen() {
    display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp &
    xvfb=$!
    app=
    work=$(mktemp -d)
    trap 'end_screen' EXIT
    export DISPLAY=$display XDG_CONFIG_HOME=$work/config
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}

end_screen() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}

start_tarmel() {
    SDL_AUDIODRIVER=dummy "$@" &
    app=$!
}

window_named() {
    local id=
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "$2 did not appear" >&2; exit 1; }
    echo "$id"
}
