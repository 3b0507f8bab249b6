# Bash completion of vantrel-cli: commands, flags, export formats, option
# names (--set NAME=) and result tables.  The option names come from `vantrel-cli options`, so
# they are always those of the installed program.

_vantrel_cli_option_names() {
    "${1:-vantrel-cli}" options 2>/dev/null | while read -r name _; do
        [ "$name" != GraphScale ] && printf '%s=\n' "$name"
    done
}

_vantrel_cli() {
    local cur prev command flags
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    command=${COMP_WORDS[1]}

    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "run batch options analyze export join --help --version" -- "$cur"))
        return
    fi

    case $prev in
        --set)
            compopt -o nospace 2>/dev/null
            COMPREPLY=($(compgen -W "$(_vantrel_cli_option_names "${COMP_WORDS[0]}")" -- "$cur"))
            return ;;
        --answer) COMPREPLY=($(compgen -W "yes no" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "extxyz dump csv" -- "$cur")); return ;;
        --max-runs|--jobs|--min-runs|--bins|--surface-binding|--until-yield-error) return ;;
        --target) COMPREPLY=($(compgen -f -X '!*.trg' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --model) COMPREPLY=($(compgen -f -X '!*.mdl' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --run) COMPREPLY=($(compgen -f -X '!*.run' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --impact) COMPREPLY=($(compgen -f -X '!*.imp' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --inelastic) COMPREPLY=($(compgen -f -X '!*.inl' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --projectile) COMPREPLY=($(compgen -f -X '!*.prj' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --config) COMPREPLY=($(compgen -f -X '!*.cfg' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --initial|--dynamic|--events|--log|-o|--output) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --results) COMPREPLY=($(compgen -f -X '!*.csv' -- "$cur") $(compgen -d -- "$cur")); return ;;
        --sputtered) [ "$command" = analyze ] || { COMPREPLY=($(compgen -f -X '!*.csv' -- "$cur") $(compgen -d -- "$cur")); return; } ;;
        --plots) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    esac

    case $command in
        run) flags="--target --model --run --impact --inelastic --initial --dynamic --events
                    --results --sputtered --surface-binding --until-yield-error --min-runs
                    --config --set --max-runs --jobs --answer --log --quiet --progress --threads --help" ;;
        batch) flags="--surface-binding --until-yield-error --min-runs
                      --config --set --max-runs --jobs --answer --log --quiet --progress --threads --help" ;;
        analyze) flags="--json --plots --bins --sputtered --help" ;;
        options) flags="--config --set --help" ;;
        export) flags="--format --target --projectile --per-run --per-frame --si -o --output --help" ;;
        join) flags="--log --dynamic --events --help" ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$flags" -- "$cur"))
        return
    fi
    case $command in
        run) COMPREPLY=($(compgen -f -X '!*.prj' -- "$cur") $(compgen -d -- "$cur")) ;;
        batch) COMPREPLY=($(compgen -f -X '!*.bdf' -- "$cur") $(compgen -d -- "$cur")) ;;
        export) COMPREPLY=($(compgen -f -X '!*.vsk' -- "$cur") $(compgen -d -- "$cur")) ;;
        analyze) COMPREPLY=($(compgen -f -X '!*.csv' -- "$cur") $(compgen -d -- "$cur")) ;;
        join) COMPREPLY=($(compgen -f -X '!*.log' -- "$cur") $(compgen -d -- "$cur")) ;;
    esac
}

complete -F _vantrel_cli vantrel-cli
