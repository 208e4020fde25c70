# bash completion for vernalo-cli: commands, their options, and voice names from the
# installed voices (`vernalo-cli voices`: the speaker name, third column, of the voices whose
# mode name, second column, starts with the language asked for, if any).
_vernalo_cli_voices() {
    local IFS=$'\n' i
    COMPREPLY=($(compgen -W "$(vernalo-cli voices 2>/dev/null |
        awk -F'\t' -v lang="$1" 'index($2, lang) == 1 { print $3 }')" -- "$cur"))
    # Names with spaces and brackets stay one word.
    for i in "${!COMPREPLY[@]}"; do COMPREPLY[i]=$(printf '%q' "${COMPREPLY[i]}"); done
}

_vernalo_cli() {
    local cur prev words cword
    _init_completion || return
    local commands="pieces say voices speak convert html2rtf"
    local reading="--mode --no-ru --no-en --dict-ru --dict-en --rules-ru --rules-en --from"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    case $prev in
        --voice) _vernalo_cli_voices; return ;;
        --voice-ru) _vernalo_cli_voices Russian; return ;;
        --voice-en) _vernalo_cli_voices English; return ;;
        --mode) COMPREPLY=($(compgen -W "word sentence" -- "$cur")); return ;;
        --to) COMPREPLY=($(compgen -W "txt rtf" -- "$cur")); return ;;
        --pause-after) COMPREPLY=($(compgen -W "0 1 2" -- "$cur")); return ;;
        --split) COMPREPLY=($(compgen -W "chapters" -- "$cur")); return ;;
        --from | --speed | --speed-ru | --speed-en | --repeat-ru | --repeat-en | --split-minutes) return ;;
        --dict-ru | --dict-en | --rules-ru | --rules-en | --wav | --out | -o) _filedir; return ;;
    esac
    local options
    case ${words[1]} in
        pieces) options="$reading" ;;
        say) options="$reading --repeat-ru --repeat-en --voice-ru --voice-en --speed-ru --speed-en
                      --repeat-text --print-pieces --pause-after --wav --out --split-minutes --split" ;;
        speak) options="--voice --speed --wav" ;;
        convert) options="--to -o --verbose" ;;
        voices | html2rtf) options="" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    elif [[ ${words[1]} != voices && ${words[1]} != speak ]]; then
        _filedir
    fi
} && complete -F _vernalo_cli vernalo-cli
