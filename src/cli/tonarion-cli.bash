# bash completion for tonarion-cli; "tonarion-cli completion bash" prints this script.
_tonarion_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="%COMMANDS%"
    local command="" word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in -*) ;; *) command=$word; break ;; esac
    done
    case $prev in
        --file) COMPREPLY=($(compgen -f -X '!*.[mM][pP]3' -- "$cur")); compopt -o filenames 2>/dev/null
                COMPREPLY+=($(compgen -d -- "$cur")); return ;;
        --csv) COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
%VALUES%
        --*) [[ $prev == --json || $prev == --help ]] || return ;;
    esac
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local options="--help"
    case $command in
%OPTIONS%
    esac
    case $command in
        check) if [[ $cur != -* ]]; then
                   COMPREPLY=($(compgen -f -X '!*.[mM][pP]3' -- "$cur")); compopt -o filenames 2>/dev/null
                   COMPREPLY+=($(compgen -d -- "$cur")); return
               fi ;;
        completion) COMPREPLY=($(compgen -W "bash" -- "$cur")); return ;;
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command != drives ]]; then
        # STICK, a folder.
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
    fi
}
complete -F _tonarion_cli tonarion-cli
