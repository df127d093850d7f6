# bash completion for tonarion-cli; "tonarion-cli completion bash" prints this script.
_tonarion_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="drives init show export bind delete settings verify repair check completion help"
    local command="" word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in -*) ;; *) command=$word; break ;; esac
    done
    case $prev in
        --file) COMPREPLY=($(compgen -f -X '!*.[mM][pP]3' -- "$cur")); compopt -o filenames 2>/dev/null
                COMPREPLY+=($(compgen -d -- "$cur")); return ;;
        --csv) COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
        --event) COMPREPLY=($(compgen -W "M R L K Z U E" -- "$cur")); return ;;
        --mode) COMPREPLY=($(compgen -W "M O" -- "$cur")); return ;;
        --prio) COMPREPLY=($(compgen -W "1 2 3 4" -- "$cur")); return ;;
        --category) COMPREPLY=($(compgen -W "all 1 2 3 4 loco" -- "$cur")); return ;;
        --clock-sync) COMPREPLY=($(compgen -W "0 1" -- "$cur")); return ;;
        --*) [[ $prev == --json || $prev == --help ]] || return ;;
    esac
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local options="--help"
    case $command in
        show|verify) options+=" --json" ;;
        export) options+=" --csv" ;;
        check) options+=" --json"
               if [[ $cur != -* ]]; then
                   COMPREPLY=($(compgen -f -X '!*.[mM][pP]3' -- "$cur")); compopt -o filenames 2>/dev/null
                   COMPREPLY+=($(compgen -d -- "$cur")); return
               fi ;;
        bind) options+=" --file --row --event --status --mode --prio --adr1 --adr2 --category
                        --loco --contact-from --contact-to --time --position" ;;
        settings) options+=" --volume --model-time --start-time --stretch --clock-sync
                            --endless-address" ;;
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
