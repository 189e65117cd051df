# bash completion for bitvane-compile: options, the values after --style, --fit and
# --shade, headers and
# dependency files after -o and -M (folders too, for --extract), headers after
# --extract, project files otherwise.

_bitvane_compile()
{
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}

    case $prev in
    -o | --output | -M)
        # Any file name: the header or dependency file may not exist yet.
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --extract)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -X '!*.h' -- "$cur") $(compgen -d -- "$cur"))
        return
        ;;
    --style)
        COMPREPLY=($(compgen -W 'classic modern' -- "$cur"))
        return
        ;;
    --fit)
        COMPREPLY=($(compgen -W 'cut scale' -- "$cur"))
        return
        ;;
    --shade)
        COMPREPLY=($(compgen -W 'threshold ordered diffuse palette' -- "$cur"))
        return
        ;;
    --levels)
        return
        ;;
    -h | --help | -v | --version)
        return
        ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--hex --binary --style --shared --no-shared --mask --no-mask --fix-names -Werror --fit --levels --shade -M --watch -o --output --extract --force -h --help -v --version' -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -X '!*.bvp' -- "$cur") $(compgen -d -- "$cur"))
}
complete -F _bitvane_compile bitvane-compile
